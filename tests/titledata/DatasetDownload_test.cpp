// The dataset download against a loopback server that answers as the datasets' host does.

#include "DatasetServer.h"
#include "IndexFixture.h"
#include "SmallDisk.h"
#include "vantrelle/titledata/DatasetDownload.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

using namespace vantrelle;
using namespace vantrelle::titledata;
namespace fs = std::filesystem;

namespace {

DownloadSummary download(const fs::path& folder, const test::DatasetServer& server, DownloadOptions options = {})
{
    options.baseUrl = server.url();
    return downloadDatasets(folder, options);
}

// The dataset files and parts in a folder, by name, with their sizes: what a user would find there.
std::map<std::string, std::uintmax_t> filesIn(const fs::path& folder)
{
    std::map<std::string, std::uintmax_t> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (!entry.path().string().ends_with(".validators"))
            found[entry.path().filename().string()] = entry.is_regular_file() ? entry.file_size() : 0;
    return found;
}

const std::string kBasics = "title.basics.tsv.gz";
const std::string kCrew = "title.crew.tsv.gz";

} // namespace

TEST(DatasetDownload, DownloadsEachFileOnceAndThenAsksOnlyWhetherItChanged)
{
    ScratchDir dir;
    const auto published = test::publishedFixtureDataset();
    test::DatasetServer server(published);
    const fs::path folder = dir / "datasets"; // made when missing

    const DownloadSummary first = download(folder, server);
    EXPECT_EQ(first.changed, datasetFileNames());
    for (const auto& [name, body] : published)
        EXPECT_EQ(test::readFile(folder / name), body) << name;
    EXPECT_EQ(filesIn(folder).size(), 5u) << "no part is left";

    const DownloadSummary second = download(folder, server);
    EXPECT_EQ(second.changed, std::vector<std::string> {});
    EXPECT_EQ(second.unchanged, datasetFileNames());
    const auto asked = server.requests(kBasics);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], "plain");
    EXPECT_EQ(asked[1],
        "if-none-match=\"v1-" + std::to_string(published.at(kBasics).size())
            + "\" if-modified-since=Sun, 01 Mar 2026 06:00:00 GMT");

    // A new version of one file is downloaded whole; the others are still only asked about.
    server.publish(kCrew, test::gzip("tconst\tdirectors\twriters\n"));
    const DownloadSummary third = download(folder, server);
    EXPECT_EQ(third.changed, std::vector<std::string> { kCrew });
    EXPECT_EQ(test::readFile(folder / kCrew), test::gzip("tconst\tdirectors\twriters\n"));
}

TEST(DatasetDownload, ACutTransferResumesWhereItStopped)
{
    struct Case {
        std::string name;
        bool changedMeanwhile; // the host publishes a new version before the download is tried again
    } const cases[] = {
        { "the same version", false },
        { "a new version", true },
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        auto published = test::publishedFixtureDataset();
        test::DatasetServer server(published);
        server.cutNextAfter(kBasics, 100);
        try {
            download(dir.path(), server);
            ADD_FAILURE() << c.name << ": the cut went unnoticed";
        } catch (const EDownloadError& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with(kBasics + ": ")) << e.what();
        }
        EXPECT_EQ(filesIn(dir.path()), (std::map<std::string, std::uintmax_t> { { kBasics + ".part", 100 } }))
            << c.name << ": the cut file is not under its name";

        if (c.changedMeanwhile) {
            published[kBasics] = test::gzip("tconst\ttitleType\n");
            server.publish(kBasics, published[kBasics]);
        }
        const DownloadSummary again = download(dir.path(), server);
        EXPECT_EQ(again.changed, datasetFileNames()) << c.name;
        EXPECT_EQ(test::readFile(dir / kBasics), published[kBasics]) << c.name;
        const auto asked = server.requests(kBasics);
        ASSERT_EQ(asked.size(), 2u) << c.name;
        EXPECT_EQ(asked[1],
            "range=bytes=100- if-range=\"v1-" + std::to_string(test::publishedFixtureDataset().at(kBasics).size())
                + "\"")
            << c.name;
        EXPECT_EQ(filesIn(dir.path()).count(kBasics + ".part"), 0u) << c.name;
    }
}

// A download stopped between its last byte and the rename leaves a part that no range can continue.
TEST(DatasetDownload, APartAsLongAsTheFileIsDownloadedAgainWhole)
{
    ScratchDir dir;
    const auto published = test::publishedFixtureDataset();
    test::DatasetServer server(published);
    const std::string body = published.at(kBasics);
    const std::string etag = "\"v1-" + std::to_string(body.size()) + "\"";
    test::writeFile(dir / (kBasics + ".part"), body);
    test::writeFile(dir / (kBasics + ".part.validators"), etag + "\nSun, 01 Mar 2026 06:00:00 GMT\n");

    EXPECT_EQ(download(dir.path(), server).changed, datasetFileNames());
    EXPECT_EQ(test::readFile(dir / kBasics), body);
    EXPECT_EQ(server.requests(kBasics),
        (std::vector<std::string> { "range=bytes=" + std::to_string(body.size()) + "- if-range=" + etag, "plain" }));
    EXPECT_EQ(filesIn(dir.path()).count(kBasics + ".part"), 0u);
}

// Each failure names the file and the reason, leaves the files before it complete, the failed one as it was
// (absent here) and no half file under its name.
TEST(DatasetDownload, AFailureNamesTheFileAndLeavesNoHalfFile)
{
    struct Case {
        std::string name;
        std::string failingFile;
        std::string reason; // the start of what follows "FILE: "
    } const cases[] = {
        { "not published", kCrew, "the server answered with status 404" },
        { "cancelled on a slow server", kBasics, "" },
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        auto published = test::publishedFixtureDataset();
        test::DatasetServer server(published);
        DownloadOptions options;
        if (c.name == "not published") {
            server.publish(kCrew, "");
        } else {
            server.publish(kBasics, std::string(100'000, 'x'));
            server.setSlow(true);
            options.progress = [](const DownloadProgress& progress) {
                if (progress.bytesRead > 0)
                    throw Error("Cancelled");
            };
        }
        std::string failure;
        try {
            download(dir.path(), server, options);
        } catch (const EDownloadError& e) {
            failure = e.what();
        } catch (const Error& e) {
            failure = std::string("cancel: ") + e.what();
        }
        if (c.reason.empty()) {
            EXPECT_EQ(failure, "cancel: Cancelled") << c.name;
        } else {
            EXPECT_TRUE(failure.starts_with(c.failingFile + ": " + c.reason)) << c.name << ": " << failure;
        }
        EXPECT_FALSE(fs::exists(dir / c.failingFile)) << c.name;
        for (const std::string& name : datasetFileNames()) {
            if (name == c.failingFile)
                break;
            EXPECT_EQ(test::readFile(dir / name), published[name]) << c.name << ": " << name;
        }
    }
}

// A file the disk cannot hold: the part goes, with its validators, and the disk is given back.
TEST(DatasetDownload, AFullDiskLeavesNoPart)
{
    ScratchDir dir;
    test::SmallDisk disk(dir / "disk", 256 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << "this machine allows no tmpfs mount";
    auto published = test::publishedFixtureDataset();
    test::DatasetServer server(published);
    server.publish(kCrew, std::string(1 << 20, 'x'));
    try {
        download(disk.path(), server);
        ADD_FAILURE() << "the full disk went unnoticed";
    } catch (const EDownloadError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with(kCrew + ": cannot write")) << e.what();
        EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos) << e.what();
    }
    EXPECT_EQ(filesIn(disk.path()).size(), 2u) << "only the files before it";
    EXPECT_FALSE(fs::exists(disk.path() / kCrew));
    EXPECT_FALSE(fs::exists(disk.path() / (kCrew + ".part.validators")));
}

// A server that never ends a body of unannounced length is left at the bound, and the part goes.
TEST(DatasetDownload, AnEndlessBodyStopsAtTheBoundAndLeavesNoPart)
{
    ScratchDir dir;
    test::DatasetServer server(test::publishedFixtureDataset());
    server.misbehave(test::DatasetServer::Misbehaviour::EndlessBody);
    DownloadOptions options;
    options.maxUnannouncedBytes = 1 << 20;
    try {
        download(dir.path(), server, options);
        ADD_FAILURE() << "the endless body went unnoticed";
    } catch (const EDownloadError& e) {
        EXPECT_EQ(
            std::string(e.what()), kBasics + ": the server sent more than 1048576 bytes without announcing a length");
    }
    EXPECT_TRUE(filesIn(dir.path()).empty());
    EXPECT_FALSE(fs::exists(dir / (kBasics + ".part.validators")));
}

// A continuation that is not the rest of the part's version is dropped and the file comes whole: the
// server ignored If-Range and sent the tail of a new version, or its Content-Range is not the one asked.
TEST(DatasetDownload, AWrongContinuationIsDroppedAndTheFileComesWhole)
{
    using Misbehaviour = test::DatasetServer::Misbehaviour;
    const Misbehaviour cases[]
        = { Misbehaviour::IgnoreIfRange, Misbehaviour::WrongRangeStart, Misbehaviour::WrongRangeTotal };
    for (const Misbehaviour misbehaviour : cases) {
        SCOPED_TRACE(static_cast<int>(misbehaviour));
        ScratchDir dir;
        auto published = test::publishedFixtureDataset();
        test::DatasetServer server(published);
        server.cutNextAfter(kBasics, 100);
        EXPECT_THROW(download(dir.path(), server), EDownloadError);
        if (misbehaviour == Misbehaviour::IgnoreIfRange) {
            published[kBasics] = test::gzip("tconst\ttitleType\tprimaryTitle\n" + std::string(500, 'y'));
            server.publish(kBasics, published[kBasics]);
        }
        server.misbehave(misbehaviour);

        EXPECT_EQ(download(dir.path(), server).changed, datasetFileNames());
        EXPECT_EQ(test::readFile(dir / kBasics), published[kBasics]);
        const auto asked = server.requests(kBasics);
        ASSERT_EQ(asked.size(), 3u);
        EXPECT_TRUE(asked[1].starts_with("range=bytes=100- ")) << asked[1];
        EXPECT_EQ(asked[2], "plain");
        const std::string version = misbehaviour == Misbehaviour::IgnoreIfRange ? "v2-" : "v1-";
        EXPECT_TRUE(test::readFile(dir / (kBasics + ".validators"))
                        .starts_with("\"" + version + std::to_string(published[kBasics].size()) + "\"\n"));
        EXPECT_EQ(filesIn(dir.path()).count(kBasics + ".part"), 0u);
    }
}

// Links planted under the names of the part and of the validators files are replaced, never followed:
// the files they point to stay as they were.
TEST(DatasetDownload, APlantedLinkIsReplacedNotFollowed)
{
    for (const std::string& planted : { kBasics + ".part", kBasics + ".validators", kBasics + ".part.validators" }) {
        SCOPED_TRACE(planted);
        ScratchDir dir;
        const auto published = test::publishedFixtureDataset();
        test::DatasetServer server(published);
        const fs::path victim = dir / "victim";
        test::writeFile(victim, "\"v1-1\"\nSun, 01 Mar 2026 06:00:00 GMT\n");
        fs::create_directory(dir / "datasets");
        fs::create_symlink(victim, dir / "datasets" / planted);

        EXPECT_EQ(download(dir / "datasets", server).changed, datasetFileNames());
        EXPECT_EQ(test::readFile(victim), "\"v1-1\"\nSun, 01 Mar 2026 06:00:00 GMT\n");
        EXPECT_EQ(test::readFile(dir / "datasets" / kBasics), published.at(kBasics));
        EXPECT_EQ(server.requests(kBasics), std::vector<std::string> { "plain" });
        for (const auto& entry : fs::directory_iterator(dir / "datasets"))
            EXPECT_FALSE(entry.is_symlink()) << entry.path();
    }
}

TEST(DatasetDownload, TheBaseAddressComesFromTheEnvironment)
{
    struct Case {
        const char* variable; // nullptr: unset
        std::string url; // empty: refused
    } const cases[] = {
        { nullptr, "https://datasets.imdbws.com" },
        { "", "https://datasets.imdbws.com" },
        { "http://127.0.0.1:8123", "http://127.0.0.1:8123" },
        { "https://mirror.example/imdb/datasets/", "https://mirror.example/imdb/datasets" },
        { "ftp://mirror.example/datasets", "" },
        { "https://", "" },
        { "mirror.example", "" },
    };
    for (const auto& c : cases) {
        if (c.variable == nullptr)
            unsetenv("VANTRELLE_DATASETS_URL");
        else
            setenv("VANTRELLE_DATASETS_URL", c.variable, 1);
        if (c.url.empty()) {
            EXPECT_THROW(datasetsUrl(), Error) << c.variable;
        } else {
            EXPECT_EQ(datasetsUrl(), c.url) << (c.variable ? c.variable : "unset");
        }
    }
    unsetenv("VANTRELLE_DATASETS_URL");
}
