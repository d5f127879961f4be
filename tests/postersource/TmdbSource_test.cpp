// The poster source against a loopback stand-in for TMDB: what it gives per title, what it sends
// where, what it keeps, and how it ends when the API refuses, limits or stalls.

#include "StandInTmdb.h"
#include "TestFiles.h"
#include "vantrelle/postersource/TmdbSource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

using namespace vantrelle;
using namespace vantrelle::postersource;
using test::StandInTmdb;

namespace fs = std::filesystem;

namespace {

class PosterSourceTest : public ::testing::Test {
protected:
    void SetUp() override { test::sharedTmdb().forgetRequests(); }

    TmdbSettings settings(std::string key = StandInTmdb::kKey) const
    {
        TmdbSettings settings;
        settings.key = std::move(key);
        settings.keySetting = "the test's key";
        settings.apiBase = test::sharedTmdb().apiBase();
        settings.imageBase = test::sharedTmdb().imageBase();
        settings.cacheDir = m_cache.path();
        settings.timeBudget = std::chrono::milliseconds(2500);
        return settings;
    }

    ScratchDir m_cache { "posters" };
};

// The key never leaves for the image host, in any form.
void expectNoKeyAtTheImageHost()
{
    for (const auto& request : test::sharedTmdb().imageRequests()) {
        EXPECT_EQ(request.authorization, "") << request.target;
        EXPECT_EQ(request.target.find("api_key"), std::string::npos) << request.target;
        EXPECT_EQ(request.target.find(StandInTmdb::kKey), std::string::npos) << request.target;
    }
}

} // namespace

TEST_F(PosterSourceTest, GivesTaglineAndPosterPerTitle)
{
    struct Case {
        std::int64_t number;
        std::string tagline;
        bool poster;
    } const cases[] = {
        { 100001, "Every light has a keeper.", true },
        { 100002, "Season <3 & after season", true }, // a series: /3/tv
        { 100003, "No face to show.", false }, // poster_path null
        { 100004, "", false }, // not found
        { 100005, "", false }, // malformed find answer
        { 100006, "", false }, // 3 MB find answer
        { 100008, "", false }, // the poster is a PNG file
        { 100009, "Every light has a keeper.", true }, // 429, Retry-After: 1, then an answer
        { 100010, "", false }, // 429, Retry-After: 120
        { 0, "", false },
    };
    const TmdbSource source(settings());
    for (const auto& c : cases) {
        const FilmExtras extras = source.extras(c.number);
        EXPECT_EQ(extras.tagline, c.tagline) << c.number;
        EXPECT_EQ(extras.poster, c.poster ? test::standInPosterJpeg() : "") << c.number;
    }
    // Every find asks by IMDb number with the v3 key as api_key, never as a header.
    const auto requests = test::sharedTmdb().apiRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(
        requests.front().target, std::string("/3/find/tt0100001?external_source=imdb_id&api_key=") + StandInTmdb::kKey);
    for (const auto& request : requests)
        EXPECT_EQ(request.authorization, "") << request.target;
    // The poster size asked.
    EXPECT_EQ(test::sharedTmdb().imageRequests().front().target, "/t/p/w154/harbour.jpg");
    expectNoKeyAtTheImageHost();
}

TEST_F(PosterSourceTest, ReadAccessTokenGoesOnlyAsBearer)
{
    const TmdbSource source(settings(StandInTmdb::kToken));
    EXPECT_EQ(source.extras(100001).poster, test::standInPosterJpeg());
    const auto requests = test::sharedTmdb().apiRequests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.authorization, std::string("Bearer ") + StandInTmdb::kToken);
        EXPECT_EQ(request.target.find("api_key"), std::string::npos) << request.target;
        EXPECT_EQ(request.target.find("eyJ"), std::string::npos) << request.target;
    }
    expectNoKeyAtTheImageHost();
}

TEST_F(PosterSourceTest, SecondLookupAsksNothing)
{
    const FilmExtras first = TmdbSource(settings()).extras(100001);
    TmdbSource(settings()).extras(100003);
    TmdbSource(settings()).extras(100004);
    test::sharedTmdb().forgetRequests();
    // A later run, with the same cache: what was found, a film without poster, an unknown number.
    const TmdbSource later(settings());
    const FilmExtras again = later.extras(100001);
    EXPECT_EQ(again.tagline, first.tagline);
    EXPECT_EQ(again.poster, first.poster);
    EXPECT_EQ(later.extras(100003).tagline, "No face to show.");
    EXPECT_EQ(later.extras(100004).poster, "");
    EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 0u);
    EXPECT_EQ(test::sharedTmdb().imageRequests().size(), 0u);
    // Passing faults are not remembered: the malformed answer is asked for again.
    later.extras(100005);
    later.extras(100005);
    EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 2u);
}

TEST_F(PosterSourceTest, APlantedSymlinkInTheCacheIsNeitherReadNorWrittenThrough)
{
    for (const char* planted : { ".poster", ".json" }) {
        const ScratchDir elsewhere("elsewhere");
        test::writeFile(elsewhere / "secret", "the user's secret");
        TmdbSource(settings()).extras(100001);
        for (const auto& entry : fs::directory_iterator(m_cache.path()))
            if (entry.path().extension() == planted) {
                fs::remove(entry.path());
                fs::create_symlink(elsewhere / "secret", entry.path());
            }
        // Asked again, found again and stored anew; the symlink's target is left as it was.
        const FilmExtras extras = TmdbSource(settings()).extras(100001);
        EXPECT_EQ(extras.poster, test::standInPosterJpeg()) << planted;
        EXPECT_EQ(test::readFile(elsewhere / "secret"), "the user's secret") << planted;
        for (const auto& entry : fs::directory_iterator(m_cache.path()))
            EXPECT_FALSE(entry.is_symlink()) << entry.path();
    }
}

TEST_F(PosterSourceTest, NoPosterEntriesExpireAndPostersStay)
{
    const TmdbSource source(settings());
    source.extras(100001);
    source.extras(100003);
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(24 * 30);
    for (const auto& entry : fs::directory_iterator(m_cache.path()))
        fs::last_write_time(entry.path(), longAgo);
    test::sharedTmdb().forgetRequests();
    EXPECT_EQ(source.extras(100001).poster, test::standInPosterJpeg());
    EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 0u);
    EXPECT_EQ(source.extras(100003).tagline, "No face to show.");
    EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 2u); // find and details again
}

// A cached poster that is a link (planted by another user of the machine) is not the cache's: the poster
// is asked for again and stored over the link, and the file it pointed to stays as it was.
TEST_F(PosterSourceTest, ACachedPosterThatIsALinkIsNotUsed)
{
    TmdbSource(settings()).extras(100001);
    const fs::path poster = m_cache / "tmdb-0100001.poster";
    ASSERT_TRUE(fs::is_regular_file(poster));
    ScratchDir elsewhere;
    test::writeFile(elsewhere / "secret", "not a poster");
    fs::remove(poster);
    fs::create_symlink(elsewhere / "secret", poster);
    test::sharedTmdb().forgetRequests();

    EXPECT_EQ(TmdbSource(settings()).extras(100001).poster, test::standInPosterJpeg());
    EXPECT_EQ(test::sharedTmdb().imageRequests().size(), 1u);
    EXPECT_FALSE(fs::is_symlink(poster));
    EXPECT_EQ(test::readFile(elsewhere / "secret"), "not a poster");
}

TEST_F(PosterSourceTest, CacheKeepsToItsBound)
{
    TmdbSettings bounded = settings();
    bounded.cacheMaxBytes = test::standInPosterJpeg().size() * 3 / 2;
    const TmdbSource source(bounded);
    source.extras(100001);
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& entry : fs::directory_iterator(m_cache.path()))
        fs::last_write_time(entry.path(), longAgo);
    source.extras(100002); // the second poster pushes the first one's files out
    std::uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(m_cache.path()))
        total += entry.file_size();
    EXPECT_LE(total, bounded.cacheMaxBytes);
    test::sharedTmdb().forgetRequests();
    EXPECT_EQ(source.extras(100002).poster, test::standInPosterJpeg());
    EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 0u);
    EXPECT_EQ(source.extras(100001).poster, test::standInPosterJpeg());
    EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 2u);
}

TEST_F(PosterSourceTest, RefusedKeyIsNamedOnceAndAskedNoMore)
{
    std::mutex mutex;
    std::vector<std::string> warnings;
    const TmdbSource source(settings("ffffffffffffffffffffffffffffffff"), [&](const std::string& message) {
        std::lock_guard lock(mutex);
        warnings.push_back(message);
    });
    EXPECT_EQ(source.extras(100001).poster, "");
    EXPECT_EQ(source.extras(100002).tagline, "");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("refuses"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("the test's key"), std::string::npos) << warnings[0];
    EXPECT_EQ(warnings[0].find("ffff"), std::string::npos) << "the key itself is never shown";
    EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 1u);
}

TEST_F(PosterSourceTest, NoKeyAsksNothingAndAMalformedKeyIsNeverSent)
{
    std::vector<std::string> warnings;
    EXPECT_FALSE(TmdbSource(settings("")).enabled());
    EXPECT_EQ(TmdbSource(settings("")).extras(100001).poster, "");
    const TmdbSource broken(settings("abc\r\nX-Injected: 1"), [&](const std::string& m) { warnings.push_back(m); });
    EXPECT_EQ(broken.extras(100001).poster, "");
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(test::sharedTmdb().apiRequests().size(), 0u);
    EXPECT_EQ(test::sharedTmdb().imageRequests().size(), 0u);
}

TEST_F(PosterSourceTest, StallingApiEndsWithinTheBudget)
{
    TmdbSettings quick = settings();
    quick.timeBudget = std::chrono::milliseconds(1000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TmdbSource(quick).extras(100007).poster, "");
    // Far above the budget, far below the stand-in's 30 s stall: the request was cut, not answered.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_F(PosterSourceTest, ChecksTheKey)
{
    struct Case {
        std::string key;
        std::string apiBase; // empty: the stand-in
        KeyCheck expected;
    } const cases[] = {
        { StandInTmdb::kKey, "", KeyCheck::Accepted },
        { StandInTmdb::kToken, "", KeyCheck::Accepted },
        { "ffffffffffffffffffffffffffffffff", "", KeyCheck::Refused },
        { "", "", KeyCheck::Refused },
        { StandInTmdb::kKey, "http://127.0.0.1:1", KeyCheck::Unreachable },
    };
    for (const auto& c : cases) {
        TmdbSettings checked = settings(c.key);
        if (!c.apiBase.empty())
            checked.apiBase = c.apiBase;
        EXPECT_EQ(TmdbSource(checked).checkKey(), c.expected) << c.key << " " << c.apiBase;
    }
}

TEST(TmdbSettings, EnvironmentKeyWinsAndAddressesFollowTheEnvironment)
{
    setenv("VANTRELLE_TMDB_KEY", " fromenv\n", 1);
    setenv("VANTRELLE_TMDB_API", "http://127.0.0.1:8123", 1);
    unsetenv("VANTRELLE_TMDB_IMAGES");
    setenv("XDG_CACHE_HOME", "/cache", 1);
    TmdbSettings settings = tmdbSettingsFromEnvironment("saved", "Poster Source...");
    EXPECT_EQ(settings.key, "fromenv");
    EXPECT_EQ(settings.keySetting, "VANTRELLE_TMDB_KEY");
    EXPECT_EQ(settings.apiBase, "http://127.0.0.1:8123");
    EXPECT_EQ(settings.imageBase, "https://image.tmdb.org");
    EXPECT_EQ(settings.cacheDir, "/cache/vantrelle/posters");
    setenv("VANTRELLE_TMDB_KEY", "", 1);
    settings = tmdbSettingsFromEnvironment("saved", "Poster Source...");
    EXPECT_EQ(settings.key, "saved");
    EXPECT_EQ(settings.keySetting, "Poster Source...");
    unsetenv("VANTRELLE_TMDB_KEY");
    unsetenv("VANTRELLE_TMDB_API");
    EXPECT_EQ(tmdbSettingsFromEnvironment().key, "");
    EXPECT_EQ(tmdbSettingsFromEnvironment().apiBase, "https://api.themoviedb.org");
}
