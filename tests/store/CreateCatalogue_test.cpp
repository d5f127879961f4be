#include "TestFiles.h"

#include "vantrelle/ScratchDir.h"
#include "vantrelle/store/Errors.h"
#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/Schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;
using vantrelle::store::createCatalogue;

namespace {

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// True when `file` holds the table Movies.
bool holdsTheTable(const fs::path& file)
{
    sqlite3* db = nullptr;
    const bool opened = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
    const bool table
        = opened && sqlite3_exec(db, "SELECT count(*) FROM Movies", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return table;
}

} // namespace

TEST(CreateCatalogue, TheFolderHoldsOnlyTheFinishedCatalogueWithAPlainFilesPermissions)
{
    vantrelle::ScratchDir dir;
    createCatalogue(dir / "Movies.mdb");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>({ "Movies.mdb" }));

    const int fd = ::open((dir / "plain").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(fs::status(dir / "Movies.mdb").permissions(), fs::status(dir / "plain").permissions());

    vantrelle::test::ScopedWorkingDir here(dir.path());
    vantrelle::store::MoviesQuery query;
    query.open();
    EXPECT_EQ(query.recordCount(), 0);
}

TEST(CreateCatalogue, RefusesAnyExistingFileAndLeavesItAndTheFolderAsTheyWere)
{
    struct Case {
        const char* name;
        bool catalogue;
        std::string content; // of a file that is not a catalogue
    };
    const Case cases[] = {
        { "a catalogue", true, "" },
        { "an empty file", false, "" },
        { "any other file", false, "not a catalogue" },
    };
    for (const Case& c : cases) {
        vantrelle::ScratchDir dir;
        const fs::path file = dir / "Movies.mdb";
        if (c.catalogue)
            createCatalogue(file);
        else
            vantrelle::test::writeFile(file, c.content);
        const std::string before = vantrelle::test::readFile(file);

        try {
            createCatalogue(file);
            ADD_FAILURE() << c.name << " was overwritten";
        } catch (const vantrelle::store::EEngineError& e) {
            EXPECT_EQ(
                std::string(e.what()), "'" + file.string() + "' already exists; an existing file is never overwritten")
                << c.name;
        }
        EXPECT_EQ(vantrelle::test::readFile(file), before) << c.name;
        EXPECT_EQ(namesIn(dir.path()), std::set<std::string>({ "Movies.mdb" })) << c.name;
    }
}

TEST(CreateCatalogue, AMissingFolderFailsAndCreatesNothing)
{
    vantrelle::ScratchDir dir;
    const fs::path file = dir / "missing" / "Movies.mdb";
    try {
        createCatalogue(file);
        ADD_FAILURE() << "created in a missing folder";
    } catch (const vantrelle::store::EEngineError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create '" + file.string() + "': No such file or directory");
    }
    EXPECT_TRUE(namesIn(dir.path()).empty());
}

// Each round kills a process that creates one catalogue after another, at whatever point it has reached.
TEST(CreateCatalogue, AKilledCreationNeverLeavesACatalogueWithoutItsTable)
{
    vantrelle::ScratchDir dir;
    const auto finishedCatalogues = [&dir] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            count += entry.path().extension() == ".mdb"; // not a draft a kill left behind
        return count;
    };
    // Eight rounds at least; more, each longer, while a loaded machine has let no creation finish yet.
    for (int round = 0; round < 8 || (finishedCatalogues() == 0 && round < 40); ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (int n = 0;; ++n)
                    createCatalogue(dir / (std::to_string(round) + "-" + std::to_string(n) + ".mdb"));
            } catch (...) {
                ::_exit(1); // never back into the test runner
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + 7 * round));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }

    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (entry.path().extension() == ".mdb") {
            EXPECT_TRUE(holdsTheTable(entry.path())) << entry.path().filename();
        }
    }
    EXPECT_GT(finishedCatalogues(), 0);
}
