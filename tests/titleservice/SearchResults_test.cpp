#include "vantrelle/titleservice/SearchResults.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantrelle::titleservice;

namespace {

std::vector<std::string> shown(const SearchAnswer& answer)
{
    std::vector<std::string> lines;
    for (const auto& result : answer.results)
        lines.push_back(result.display + "=" + result.number.Number);
    return lines;
}

const std::string threeResults = "<HTML><BODY><H2>Titles</H2><A NAME=\"mov\"></A><OL>\n"
                                 "<LI><A HREF=\"/Title?111\">Brazil</A></LI>\n"
                                 "<LI><A HREF=\"/Title?222\">The Matrix (1999)</A></LI>\n"
                                 "<LI><A HREF=\"/Title?333\">Alien (1979)</A></LI>\n"
                                 "</OL><A HREF=\"/Title?999\">Elsewhere</A></BODY></HTML>";

} // namespace

TEST(SearchResults, ThreeResultsInPageOrder)
{
    const SearchAnswer answer = readSearchAnswer(threeResults, "");
    EXPECT_EQ(answer.kind, SearchAnswer::Kind::Results);
    EXPECT_EQ(shown(answer), (std::vector<std::string> { "Brazil=111", "The Matrix (1999)=222", "Alien (1979)=333" }));
    EXPECT_FALSE(answer.remainderEmpty);
    EXPECT_EQ(chosenTitleUrl(answer, 1), "http://us.imdb.com/Title?222");
    EXPECT_EQ(chosenTitleUrl(answer, -1), "");
}

TEST(SearchResults, Answers)
{
    struct Case {
        std::string name;
        std::string page;
        std::string redirect;
        SearchAnswer::Kind kind;
        std::vector<std::string> results;
        bool request; // a confirmed choice of the first line (or the redirect) makes a request
    } const cases[] = {
        { "redirect", "<HTML>title page</HTML>", "http://us.imdb.com/Title?0120769", SearchAnswer::Kind::TitlePage, {},
            true },
        { "redirect with an empty page", "", "http://us.imdb.com/Title?0120769", SearchAnswer::Kind::TitlePage, {},
            false },
        { "redirect elsewhere reads the page", "<P>No matches</P>", "http://us.imdb.com/help",
            SearchAnswer::Kind::NoMovie, {}, false },
        { "no list", "<P>No matches</P>", "", SearchAnswer::Kind::NoMovie, {}, false },
        { "no </OL>", "<A NAME=\"mov\"></A><OL><LI><A HREF=\"/Title?1\">One</A>", "", SearchAnswer::Kind::Results, {},
            false },
        { "no links", "<A NAME=\"mov\"></A><OL><LI>Nothing</LI></OL>", "", SearchAnswer::Kind::Results, {}, false },
        { "link without quote or text", "<A NAME=\"mov\"><A HREF=/Title?5>Five</A></OL></BODY>", "",
            SearchAnswer::Kind::Results, { "Five=" }, true },
        { "link as the last thing", "<A NAME=\"mov\"><A HREF=\"/Title?7\"></OL></BODY>", "",
            SearchAnswer::Kind::Results, { "=7" }, false },
    };
    for (const auto& c : cases) {
        const SearchAnswer answer = readSearchAnswer(c.page, c.redirect);
        EXPECT_EQ(answer.kind, c.kind) << c.name;
        EXPECT_EQ(shown(answer), c.results) << c.name;
        if (c.kind == SearchAnswer::Kind::TitlePage) {
            EXPECT_EQ(answer.requestRedirect, c.request) << c.name;
            EXPECT_EQ(answer.redirectUrl, c.redirect) << c.name;
        } else {
            EXPECT_EQ(!chosenTitleUrl(answer, 0).empty(), c.request) << c.name;
        }
    }
}

TEST(SearchResults, RequestUrls)
{
    EXPECT_EQ(titlePageUrl("0120769"), "http://us.imdb.com/Title?0120769");
    EXPECT_EQ(titlePageUrl(" 12 "), "http://us.imdb.com/Title? 12 ");
    EXPECT_EQ(searchUrl("the matrix"), "http://us.imdb.com/Tsearch?the+matrix");
    EXPECT_EQ(searchUrl("  alien "), "http://us.imdb.com/Tsearch?++alien+");
    EXPECT_EQ(searchUrl("caf\xE9&co"), "http://us.imdb.com/Tsearch?caf\xE9&co");
}
