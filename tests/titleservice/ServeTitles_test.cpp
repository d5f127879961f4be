// The stand-in title service (vantrelle-tool serve-titles) over loopback, asked the way the program
// asks it through http_proxy: requests in proxy form naming the service's own hosts.

#include "ProxyGet.h"
#include "RecordingTarget.h"
#include "StandInTitleService.h"
#include "vantrelle/titleservice/SearchResults.h"
#include "vantrelle/titleservice/TitlePageScraper.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace vantrelle::titleservice;

namespace {

vantrelle::test::HttpAnswer get(const std::string& host, const std::string& path)
{
    return vantrelle::test::proxyGet(vantrelle::test::sharedTitleService().port(), host, path);
}

} // namespace

TEST(ServeTitles, TitlePageScrapesIntoARow)
{
    const vantrelle::test::HttpAnswer page = get("us.imdb.com", "/Title?0100005");
    ASSERT_EQ(page.status, 200);
    vantrelle::test::RecordingTarget row;
    URLDecoder decoder;
    TitlePageScraper scraper(row, decoder);
    row.scrape(scraper, page.body);
    // Three billed actors: the fourth pair is emptied. The dataset has one running time and no tagline.
    EXPECT_EQ(row.calls,
        (std::vector<std::string> { "Director=Ana\xC3\xAFs Lef\xC3\xA8vre", "NameOfMovie=Lanterns Over Vael", "Year=1999",
            "Genre=Fantasy / Adventure", "Tagline=", "CastMemberName1=Halvard Rask", "Character1=Keeper Orm",
            "CastMemberName2=Thandi Mbeki", "Character2=The Lamplighter", "CastMemberName3=Ren Kato",
            "Character3=Prince Aubel", "CastMemberName4=", "Character4=", "Runtime=131", "extension=.gif",
            "download=http://posters.imdb.com/Posters/0100005.gif" }));
}

TEST(ServeTitles, EveryTitleHasAPosterOrThePlaceholder)
{
    int placeholders = 0;
    for (int n = 1; n <= 12; ++n) {
        char number[8];
        std::snprintf(number, sizeof number, "%07d", 100000 + n);
        const vantrelle::test::HttpAnswer page = get("us.imdb.com", std::string("/Title?") + number);
        ASSERT_EQ(page.status, 200) << number;
        vantrelle::test::RecordingTarget row;
        URLDecoder decoder;
        TitlePageScraper scraper(row, decoder);
        row.scrape(scraper, page.body);
        if (!row.callsOf("placeholder").empty()) {
            ++placeholders;
            continue;
        }
        const std::string url = row.callsOf("download").at(0).substr(9);
        const std::size_t path = url.find('/', 7);
        const vantrelle::test::HttpAnswer poster = get(url.substr(7, path - 7), url.substr(path));
        ASSERT_EQ(poster.status, 200) << url;
        const bool jpeg = poster.body.starts_with("\xFF\xD8\xFF");
        const bool gif = poster.body.starts_with("GIF89a") || poster.body.starts_with("GIF87a");
        EXPECT_TRUE(row.callsOf("extension").at(0) == "extension=.jpg" ? jpeg : gif) << url;
    }
    EXPECT_GE(placeholders, 1);
}

TEST(ServeTitles, Searches)
{
    const vantrelle::test::HttpAnswer one = get("us.imdb.com", "/Tsearch?signal+LOST");
    EXPECT_EQ(one.status, 302);
    EXPECT_NE(one.headers.find("Location: http://us.imdb.com/Title?0100008"), std::string::npos) << one.headers;

    const vantrelle::test::HttpAnswer several = get("us.imdb.com", "/Tsearch?harbour");
    ASSERT_EQ(several.status, 200);
    const SearchAnswer answer = readSearchAnswer(several.body, "");
    ASSERT_EQ(answer.kind, SearchAnswer::Kind::Results);
    ASSERT_EQ(answer.results.size(), 3u);
    EXPECT_EQ(answer.results[0].display, "Harbour Lights (1987)");
    EXPECT_EQ(answer.results[2].number.Number, "0100007");
    EXPECT_EQ(chosenTitleUrl(answer, 1), "http://us.imdb.com/Title?0100006");

    const vantrelle::test::HttpAnswer none = get("us.imdb.com", "/Tsearch?zebra");
    ASSERT_EQ(none.status, 200);
    EXPECT_EQ(readSearchAnswer(none.body, "").kind, SearchAnswer::Kind::NoMovie);
}

TEST(ServeTitles, UnknownRequestsAreNotFound)
{
    EXPECT_EQ(get("us.imdb.com", "/Title?9999999").status, 404);
    EXPECT_EQ(get("us.imdb.com", "/Title?../titles/0100001").status, 404);
    EXPECT_EQ(get("posters.imdb.com", "/Covers/missing.jpg").status, 404);
    EXPECT_EQ(get("us.imdb.com", "/elsewhere").status, 404);
}
