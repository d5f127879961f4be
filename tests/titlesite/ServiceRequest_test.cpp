#include "vantrelle/titlesite/ServiceRequest.h"

#include <gtest/gtest.h>

using namespace vantrelle::titlesite;
using Kind = ServiceRequest::Kind;

namespace {

struct RequestCase {
    const char* target;
    Kind kind;
    std::int64_t number = 0;
    const char* words = "";
    const char* posterFile = "";
};

void PrintTo(const RequestCase& c, std::ostream* out)
{
    *out << c.target;
}

const RequestCase kCases[] = {
    { "/Title?0133093", Kind::Title, 133093 },
    { "http://us.imdb.com/Title?0133093", Kind::Title, 133093 },
    { "http://us.imdb.com:80/Title?tt0133093", Kind::Title, 133093 },
    { "/Title?TT133093", Kind::Title, 133093 },
    { "/Title?%20133093+", Kind::Title, 133093 }, // blanks around it, as typed
    { "/Title?%30133093", Kind::Title, 133093 },
    { "/Title?12345678", Kind::Title, 12345678 },
    { "/Title?00000000000000000000000999999999999999999", Kind::Title, 999999999999999999 },
    { "/Title?1000000000000000000", Kind::Title, 0 }, // 19 digits: no title has it
    { "/Title?0", Kind::Title, 0 },
    { "/Title?", Kind::Title, 0 },
    { "/Title", Kind::Title, 0 },
    { "/Title?tt", Kind::Title, 0 },
    { "/Title?ttt1", Kind::Title, 0 },
    { "/Title?1 2", Kind::Title, 0 },
    { "/Title?+1", Kind::Title, 1 },
    { "/Title?-1", Kind::Title, 0 },
    { "/Title?1e3", Kind::Title, 0 },
    { "/Title?0x10", Kind::Title, 0 },
    { "/Title?%", Kind::Title, 0 },
    { "/Tsearch?the+matrix", Kind::Search, 0, "the matrix" },
    { "http://us.imdb.com/Tsearch?%C3%A9t%C3%A9", Kind::Search, 0, "\xC3\xA9t\xC3\xA9" },
    { "/Tsearch?%E9t%E9", Kind::Search, 0, "\xC3\xA9t\xC3\xA9" }, // Windows-1252
    { "/Tsearch?a%2Bb%22c", Kind::Search, 0, "a+b\"c" },
    { "/Tsearch?100%", Kind::Search, 0, "100%" }, // a malformed escape stays as it is
    { "/Tsearch?a?b", Kind::Search, 0, "a?b" },
    { "/Tsearch", Kind::Search, 0, "" },
    { "/Posters/0100001.jpg", Kind::Poster, 0, "", "0100001.jpg" },
    { "http://posters.imdb.com/Posters/0100001.gif", Kind::Poster, 0, "", "0100001.gif" },
    { "/Posters/../x", Kind::Unknown },
    { "/Posters/", Kind::Poster, 0, "", "" },
    { "/title?1", Kind::Unknown },
    { "/Title/1", Kind::Unknown },
    { "Title?1", Kind::Unknown },
    { "http://us.imdb.com", Kind::Unknown },
    { "http://us.imdb.com?Title", Kind::Unknown },
    { "", Kind::Unknown },
    { "/x?/Title?1", Kind::Unknown },
};

class ServiceRequests : public ::testing::TestWithParam<RequestCase> { };

TEST_P(ServiceRequests, ReadTheirTarget)
{
    const RequestCase& c = GetParam();
    const ServiceRequest request = parseRequestTarget(c.target);
    EXPECT_EQ(request.kind, c.kind);
    EXPECT_EQ(request.number, c.number);
    EXPECT_EQ(request.words, c.words);
    EXPECT_EQ(request.posterFile, c.posterFile);
}

INSTANTIATE_TEST_SUITE_P(Targets, ServiceRequests, ::testing::ValuesIn(kCases));

} // namespace
