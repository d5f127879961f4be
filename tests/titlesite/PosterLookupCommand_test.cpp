// `vantrelle-tool lookup` through `serve-titles` that asks a loopback stand-in for TMDB, as the
// window's lookups go through its local title service: the row, its cover's bytes, and what reached TMDB.

#include "StandInTitleService.h"
#include "StandInTmdb.h"
#include "TestFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace vantrelle;
using test::StandInTmdb;

namespace fs = std::filesystem;

namespace {

const fs::path kPoster = fs::path(VANTRELLE_DEMO_POSTERS) / "0100001.jpg";

// serve-titles without posters of its own, asking the stand-in with `key`, its cache and its
// standard error in `dir`.
test::StandInTitleService titleService(const ScratchDir& dir, const std::string& key)
{
    test::StandInOptions options;
    options.demoPosters = false;
    options.environment = { { "VANTRELLE_TMDB_KEY", key }, { "VANTRELLE_TMDB_API", test::sharedTmdb().apiBase() },
        { "VANTRELLE_TMDB_IMAGES", test::sharedTmdb().imageBase() }, { "XDG_CACHE_HOME", dir.path().string() } };
    options.errorsFile = (dir / "errors.txt").string();
    return test::StandInTitleService(options);
}

} // namespace

TEST(PosterLookupCommand, CoverIsThePosterImportedAndTheRowCarriesTheTagline)
{
    const ScratchDir dir("poster-lookup");
    const test::StandInTitleService service = titleService(dir, StandInTmdb::kKey);
    const std::string proxy = " --proxy " + service.proxy();

    const auto expected = test::runTool("cover '" + kPoster.string() + "' '" + (dir / "expected.bmp").string() + "'");
    ASSERT_EQ(expected.exitCode, 0) << expected.all();
    const auto run = test::runTool("lookup --number 0100001 --cover '" + (dir / "cover.bmp").string() + "'" + proxy);
    EXPECT_EQ(run.exitCode, 0) << run.all();
    for (const char* shown : { "\"NameOfMovie\": \"Harbour Lights\"", "\"Tagline\": \"Every light has a keeper.\"",
             "\"placeholder\": false, \"posterUrl\": \"http://posters.imdb.com/Posters/0100001.jpg\", "
             "\"coverExtension\": \".jpg\"" })
        EXPECT_NE(run.output.find(shown), std::string::npos) << shown << "\n" << run.output;
    const std::string cover = test::readFile(dir / "cover.bmp");
    EXPECT_FALSE(cover.empty());
    EXPECT_EQ(cover, test::readFile(dir / "expected.bmp"));

    // A second lookup of the same film asks TMDB nothing.
    test::sharedTmdb().forgetRequests();
    const auto again = test::runTool("lookup --number 0100001 --cover '" + (dir / "again.bmp").string() + "'" + proxy);
    EXPECT_EQ(again.exitCode, 0) << again.all();
    EXPECT_EQ(test::readFile(dir / "again.bmp"), cover);
    EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 0u);
    EXPECT_EQ(test::sharedTmdb().imageRequests().size(), 0u);
}

TEST(PosterLookupCommand, TitlesWithoutPosterGiveACorrectRowWithThePlaceholder)
{
    const ScratchDir dir("poster-lookup");
    const test::StandInTitleService service = titleService(dir, StandInTmdb::kKey);
    struct Case {
        const char* number;
        const char* name;
        const char* tagline;
    } const cases[] = {
        { "0100003", "Night Ferry to Brellin", "No face to show." }, // poster_path null
        { "0100004", "Copper Sky", "" }, // TMDB does not know it
        { "0100005", "Lanterns Over Vael", "" }, // malformed answer
        { "0100007", "The Quiet Harbour", "" }, // the API stalls
    };
    for (const auto& c : cases) {
        const fs::path coverFile = dir / (std::string(c.number) + ".bmp");
        test::writeFile(coverFile, "stale");
        const auto run = test::runTool(std::string("lookup --number ") + c.number + " --cover '" + coverFile.string()
            + "' --proxy " + service.proxy());
        EXPECT_EQ(run.exitCode, 0) << c.number << run.all();
        EXPECT_NE(run.output.find(std::string("\"NameOfMovie\": \"") + c.name + "\""), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(std::string("\"Tagline\": \"") + c.tagline + "\""), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("\"placeholder\": true, \"posterUrl\": null"), std::string::npos) << run.output;
        EXPECT_EQ(test::readFile(coverFile), "") << c.number;
    }
}

TEST(PosterLookupCommand, KeysReachTmdbOnlyAsTheyShould)
{
    // A refused key: the row is filled, and serve-titles names the setting to fix, once.
    {
        const ScratchDir dir("poster-lookup");
        {
            const test::StandInTitleService service = titleService(dir, "ffffffffffffffffffffffffffffffff");
            for (const char* number : { "0100001", "0100002" }) {
                const auto run
                    = test::runTool(std::string("lookup --number ") + number + " --proxy " + service.proxy());
                EXPECT_NE(run.output.find("\"placeholder\": true"), std::string::npos) << run.output;
                EXPECT_NE(run.output.find("\"NameOfMovie\": "), std::string::npos) << run.output;
            }
        }
        const std::string errors = test::readFile(dir / "errors.txt");
        const std::size_t named = errors.find("VANTRELLE_TMDB_KEY");
        EXPECT_NE(named, std::string::npos) << errors;
        EXPECT_EQ(errors.find("VANTRELLE_TMDB_KEY", named + 1), std::string::npos) << errors;
    }
    // A read access token goes as "Authorization: Bearer" to the API only.
    {
        const ScratchDir dir("poster-lookup");
        const test::StandInTitleService service = titleService(dir, StandInTmdb::kToken);
        test::sharedTmdb().forgetRequests();
        const auto run = test::runTool("lookup --number 0100002 --proxy " + service.proxy());
        EXPECT_NE(run.output.find("\"placeholder\": false"), std::string::npos) << run.output;
        ASSERT_EQ(test::sharedTmdb().apiRequests().size(), 2u);
        for (const auto& request : test::sharedTmdb().apiRequests()) {
            EXPECT_EQ(request.authorization, std::string("Bearer ") + StandInTmdb::kToken);
            EXPECT_EQ(request.target.find("eyJ"), std::string::npos) << request.target;
        }
        ASSERT_EQ(test::sharedTmdb().imageRequests().size(), 1u);
        EXPECT_EQ(test::sharedTmdb().imageRequests()[0].authorization, "");
    }
    // No key: nothing is asked.
    {
        const ScratchDir dir("poster-lookup");
        const test::StandInTitleService service = titleService(dir, "");
        test::sharedTmdb().forgetRequests();
        const auto run = test::runTool("lookup --number 0100001 --proxy " + service.proxy());
        EXPECT_NE(run.output.find("\"placeholder\": true"), std::string::npos) << run.output;
        EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 0u);
        EXPECT_EQ(test::sharedTmdb().imageRequests().size(), 0u);
    }
}
