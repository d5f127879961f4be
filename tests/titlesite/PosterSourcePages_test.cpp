// Title pages of the title service with a poster source (a loopback stand-in for TMDB): the tagline
// and the poster come out of the program's own scraper, and the poster is served where the page links it.

#include "RecordingTarget.h"
#include "StandInTmdb.h"
#include "TestFiles.h"
#include "vantrelle/postersource/TmdbSource.h"
#include "vantrelle/titleservice/TitlePageScraper.h"
#include "vantrelle/titlesite/TitleSite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace vantrelle;
using test::StandInTmdb;

namespace fs = std::filesystem;

namespace {

std::unique_ptr<postersource::PosterSource> posterSource(const fs::path& cache)
{
    postersource::TmdbSettings settings;
    settings.key = StandInTmdb::kKey;
    settings.apiBase = test::sharedTmdb().apiBase();
    settings.imageBase = test::sharedTmdb().imageBase();
    settings.cacheDir = cache;
    return std::make_unique<postersource::TmdbSource>(settings);
}

// The scraper's calls for the tagline and the cover.
std::vector<std::string> taglineAndCover(const std::string& page)
{
    test::RecordingTarget row;
    titleservice::URLDecoder decoder;
    titleservice::TitlePageScraper scraper(row, decoder);
    row.scrape(scraper, page);
    std::vector<std::string> calls = row.callsOf("Tagline=");
    for (const char* prefix : { "placeholder", "extension=", "download=" })
        for (const std::string& call : row.callsOf(prefix))
            calls.push_back(call);
    return calls;
}

} // namespace

TEST(PosterSourcePages, TaglineAndPosterComeFromThePosterSource)
{
    const ScratchDir cache("posters");
    const titlesite::TitleSite service(VANTRELLE_DEMO_TITLES, {}, posterSource(cache.path()));
    struct Case {
        const char* number;
        std::vector<std::string> calls;
    } const cases[] = {
        { "0100001",
            { "Tagline=Every light has a keeper.", "extension=.jpg",
                "download=http://posters.imdb.com/Posters/0100001.jpg" } },
        // "<" shows as U+2039, as in every value of the page.
        { "0100002",
            { "Tagline=Season \xE2\x80\xB9"
              "3 & after season",
                "extension=.jpg", "download=http://posters.imdb.com/Posters/0100002.jpg" } },
        { "0100003", { "Tagline=No face to show.", "placeholder" } },
        { "0100004", { "Tagline=", "placeholder" } },
        { "0100005", { "Tagline=", "placeholder" } },
        { "0100008", { "Tagline=", "placeholder" } },
    };
    for (const auto& c : cases) {
        const titlesite::ServiceAnswer page = service.answer(std::string("/Title?") + c.number, "us.imdb.com");
        ASSERT_EQ(page.status, 200) << c.number;
        EXPECT_EQ(taglineAndCover(page.body), c.calls) << c.number;
    }

    const titlesite::ServiceAnswer poster = service.answer("http://posters.imdb.com/Posters/0100001.jpg", "");
    EXPECT_EQ(poster.status, 200);
    EXPECT_EQ(poster.contentType, "image/jpeg");
    EXPECT_EQ(poster.body, test::standInPosterJpeg());
    for (const char* target : { "/Posters/0100003.jpg", "/Posters/0100001.gif", "/Posters/100001.jpg" })
        EXPECT_EQ(service.answer(target, "").status, 404) << target;
}

TEST(PosterSourcePages, OwnPostersWinAndAreNotAskedFor)
{
    const ScratchDir dir("posters");
    fs::create_directory(dir / "own");
    test::writeFile(dir / "own" / "0100001.gif", "GIF89a own poster");
    const titlesite::TitleSite service(VANTRELLE_DEMO_TITLES, dir / "own", posterSource(dir / "cache"));
    test::sharedTmdb().forgetRequests();
    EXPECT_EQ(taglineAndCover(service.answer("/Title?0100001", "").body),
        (std::vector<std::string> {
            "Tagline=", "extension=.gif", "download=http://posters.imdb.com/Posters/0100001.gif" }));
    EXPECT_EQ(service.answer("/Posters/0100001.jpg", "").status, 404);
    EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 0u);
}

TEST(PosterSourcePages, ANumberTheIndexDoesNotHoldAsksThePosterSourceNothing)
{
    const ScratchDir cache("posters");
    const titlesite::TitleSite service(VANTRELLE_DEMO_TITLES, {}, posterSource(cache.path()));
    test::sharedTmdb().forgetRequests();
    // 0100001 is a film of the stand-in, but neither number is in the index; 0 and a non-number neither.
    for (const char* target : { "/Posters/0133093.jpg", "/Posters/9999999.jpg", "/Title?0133093" })
        EXPECT_EQ(service.answer(target, "").status, 404) << target;
    EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 0u);
    EXPECT_EQ(test::sharedTmdb().imageRequests().size(), 0u);
}
