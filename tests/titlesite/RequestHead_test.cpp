// Request heads read as they arrive, within bounds, and the hosts the title service takes as its own.

#include "vantrelle/titlesite/OwnHosts.h"
#include "vantrelle/titlesite/RequestHead.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantrelle::titlesite;
using State = RequestHeadReader::State;

namespace {

struct HeadCase {
    const char* what;
    std::string bytes;
    State state;
    int refusal; // when refused
    std::string target, host;
    bool keepAlive;
};

void PrintTo(const HeadCase& c, std::ostream* out)
{
    *out << c.what;
}

const HeadCase kCases[] = {
    { "HTTP/1.1 keeps the connection", "GET /a HTTP/1.1\r\nHost: h\r\n\r\n", State::Complete, 0, "/a", "h", true },
    { "unless asked to close", "GET /a HTTP/1.1\r\nhost:  h \r\nConnection: Close\r\n\r\n", State::Complete, 0, "/a",
        "h", false },
    { "HTTP/1.0 closes", "GET /a HTTP/1.0\r\nHost: h\r\n\r\n", State::Complete, 0, "/a", "h", false },
    { "unless asked to keep it", "GET /a HTTP/1.0\r\nConnection: x, Keep-Alive\r\n\r\n", State::Complete, 0, "/a", "",
        true },
    { "bare line feeds, blank lines first", "\r\n\nGET /a HTTP/1.1\nHost: h\n\n", State::Complete, 0, "/a", "h", true },
    { "not yet whole", "GET /a HTTP/1.1\r\nHost: h\r\n", State::Reading, 0, "", "", false },
    { "a line of 8 KB", "GET /a HTTP/1.1\r\nHost: h\r\nX: " + std::string(8189, 'v') + "\r\n\r\n", State::Complete, 0,
        "/a", "h", true },
    { "a line of 8 KB and one byte, unfinished", "GET /a HTTP/1.1\r\nX: " + std::string(8192, 'v'), State::Refused, 431,
        "", "", false },
    { "a long request line", "GET /" + std::string(9000, 'a'), State::Refused, 414, "", "", false },
    { "no Host in HTTP/1.1", "GET /a HTTP/1.1\r\n\r\n", State::Refused, 400, "", "", false },
    { "two Hosts", "GET /a HTTP/1.1\r\nHost: h\r\nHost: i\r\n\r\n", State::Refused, 400, "", "", false },
    { "a folded line", "GET /a HTTP/1.1\r\nHost: h\r\n i\r\n\r\n", State::Refused, 400, "", "", false },
    { "a line without colon", "GET /a HTTP/1.1\r\nHost h\r\n\r\n", State::Refused, 400, "", "", false },
    { "HTTP/2.0", "GET /a HTTP/2.0\r\n\r\n", State::Refused, 400, "", "", false },
    { "a blank in the target", "GET /a b HTTP/1.1\r\n\r\n", State::Refused, 400, "", "", false },
};

class HeadReading : public ::testing::TestWithParam<HeadCase> { };

TEST_P(HeadReading, ReadWhicheverWayTheBytesArrive)
{
    const HeadCase& c = GetParam();
    for (const std::size_t piece : { c.bytes.size(), std::size_t { 1 }, std::size_t { 7 } }) {
        RequestHeadReader reader;
        for (std::size_t at = 0; at < c.bytes.size() && reader.state() == State::Reading; at += piece)
            reader.feed(std::string_view(c.bytes).substr(at, piece));
        ASSERT_EQ(reader.state(), c.state) << piece;
        EXPECT_EQ(reader.refusal(), c.refusal);
        if (c.state == State::Complete) {
            EXPECT_EQ(reader.head().method, "GET");
            EXPECT_EQ(reader.head().target, c.target);
            EXPECT_EQ(reader.head().host, c.host);
            EXPECT_EQ(reader.head().keepAlive, c.keepAlive);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RequestHead, HeadReading, ::testing::ValuesIn(kCases));

TEST(RequestHead, TakesNoByteOfTheNextRequest)
{
    RequestHeadReader reader;
    const std::string first = "GET /a HTTP/1.1\r\nHost: h\r\nContent-Length: 0\r\n\r\n";
    EXPECT_EQ(reader.feed(first + "GET /b HTTP/1.1\r\n"), first.size());
    EXPECT_FALSE(reader.head().hasBody);
    RequestHeadReader withBody;
    withBody.feed("GET /a HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n");
    EXPECT_TRUE(withBody.head().hasBody);
}

TEST(RequestHead, RefusesBeyondItsLimitsOfLinesAndBytes)
{
    const HeadLimits limits { 100, 300, 5 };
    RequestHeadReader lines(limits);
    lines.feed("GET / HTTP/1.1\r\nHost: h\r\nA: 1\r\nB: 2\r\nC: 3\r\n");
    EXPECT_EQ(lines.state(), State::Reading);
    lines.feed("D: 4\r\n");
    EXPECT_EQ(lines.state(), State::Refused);
    EXPECT_EQ(lines.refusal(), 431);
    RequestHeadReader bytes(limits);
    for (int i = 0; i < 4 && bytes.state() == State::Reading; ++i)
        bytes.feed("X: " + std::string(90, 'v') + "\r\n");
    EXPECT_EQ(bytes.state(), State::Refused);
}

TEST(OwnHosts, AreTheServicesAddressAndTheHostsItStandsFor)
{
    const struct {
        const char* host;
        bool own;
    } cases[] = {
        { "127.0.0.1:4321", true },
        { "localhost:4321", true },
        { "LOCALHOST:4321", true },
        { "us.imdb.com", true },
        { "us.imdb.com:80", true },
        { "posters.imdb.com", true },
        { "ia.media-imdb.com", true },
        { "127.0.0.1:4322", false },
        { "127.0.0.1", false },
        { "localhost", false },
        { "us.imdb.com:8080", false },
        { "us.imdb.com.evil.example", false },
        { "evil.example", false },
        { "[::1]:4321", false },
        { "", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(isOwnHost(c.host, 4321), c.own) << c.host;
}

} // namespace
