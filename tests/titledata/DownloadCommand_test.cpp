// vantrelle-tool titles download and titles update, run as a timer or a user at a terminal runs them,
// against a loopback server standing in for the datasets' host.

#include "DatasetServer.h"
#include "IndexFixture.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

using namespace vantrelle;
namespace fs = std::filesystem;

namespace {

// A user with empty data and cache folders whose datasets come from `server`.
void useFolders(const ScratchDir& dir, const test::DatasetServer& server)
{
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    setenv("VANTRELLE_DATASETS_URL", server.url().c_str(), 1);
    unsetenv("VANTRELLE_TITLE_INDEX");
}

} // namespace

TEST(DownloadCommand, DownloadsIntoAFolderAndAsksAgainOnlyConditionally)
{
    ScratchDir dir;
    test::DatasetServer server(test::publishedFixtureDataset());
    useFolders(dir, server);
    const std::string folder = (dir / "mine").string();
    const test::ToolStep steps[] = {
        { "titles download " + folder, 0, "Downloaded 5 of 5 dataset files into " + folder + "; 0 had not changed\n" },
        { "titles download " + folder, 0, "Downloaded 0 of 5 dataset files into " + folder + "; 5 had not changed\n" },
        // Without a folder: the cache folder.
        { "titles download", 0,
            "Downloaded 5 of 5 dataset files into " + (dir / "cache" / "vantrelle" / "datasets").string() },
        { "titles download a b", 2, "vantrelle-tool: unexpected argument 'b'" },
    };
    test::expectToolSteps(steps);
    EXPECT_TRUE(server.requests("name.basics.tsv.gz").at(1).starts_with("if-none-match="));
}

TEST(DownloadCommand, UpdateBuildsTheUsersIndexAndKeepsItWhenADownloadFails)
{
    ScratchDir dir;
    test::DatasetServer server(test::publishedFixtureDataset());
    useFolders(dir, server);
    const fs::path index = dir / "data" / "vantrelle" / "titles.db";
    const test::ToolRun first = test::runTool("titles update");
    EXPECT_EQ(first.exitCode, 0) << first.errors;
    EXPECT_TRUE(first.output.starts_with("Downloaded 5 of 5 dataset files into ")) << first.output;
    EXPECT_EQ(test::rows(index, "SELECT count(*) FROM titles"), std::vector<std::string> { "7" });
    EXPECT_NE(test::runTool("titles update").output.find(index.string() + " is up to date"), std::string::npos);

    // A new version of a file comes (its ETag and date change), the next one is gone: the update names
    // the missing one and imports nothing.
    server.publish("title.basics.tsv.gz", test::publishedFixtureDataset().at("title.basics.tsv.gz"));
    server.publish("title.crew.tsv.gz", "");
    const std::string before = test::readFile(index);
    const test::ToolRun failed = test::runTool("titles update");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.errors, "vantrelle-tool: title.crew.tsv.gz: the server answered with status 404\n");
    EXPECT_EQ(test::readFile(index), before);

    // Once it is back, the update imports what the failed one downloaded.
    server.publish("title.crew.tsv.gz", test::publishedFixtureDataset().at("title.crew.tsv.gz"));
    const test::ToolRun repaired = test::runTool("titles update");
    EXPECT_EQ(repaired.exitCode, 0) << repaired.errors;
    EXPECT_NE(repaired.output.find("Imported 7 titles"), std::string::npos) << repaired.output;
}
