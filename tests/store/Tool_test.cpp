#include "TestFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <string>

using vantrelle::test::runTool;
using vantrelle::test::ToolRun;

TEST(Tool, CreateListAndDemo)
{
    vantrelle::ScratchDir dir;
    vantrelle::test::ScopedWorkingDir here(dir.path());
    const vantrelle::test::ToolStep steps[] = {
        { "list", 1, "vantrelle-tool: Could not find file 'Movies.mdb' in the folder '" + dir.path().string() + "'" },
        { "create", 0, "Created the empty catalogue Movies.mdb" },
        { "create", 1, "vantrelle-tool: 'Movies.mdb' already exists; an existing file is never overwritten" },
        { "list", 0, "" },
        { "create a b", 2, "vantrelle-tool: too many arguments" },
        { "demo", 2, "vantrelle-tool: the folder is missing" },
        { "demo sample", 2, "vantrelle-tool: --titles INDEX is missing" },
        { "demo sample --titles " + std::string(VANTRELLE_DEMO_TITLES), 0,
            "Created sample/Movies.mdb with 15 films\n" },
        { "demo sample --titles " + std::string(VANTRELLE_DEMO_TITLES), 1,
            "vantrelle-tool: 'sample/Movies.mdb' already exists" },
        { "list sample/Movies.mdb", 0, "15\t\xC3\x81ngel del Norte\t2017\n11\tEastern Tide\t1983\n" },
        { "list sample/nothing.mdb", 1, "vantrelle-tool: Could not find file 'nothing.mdb' in the folder" },
    };
    vantrelle::test::expectToolSteps(steps);
    const ToolRun list = runTool("list sample/Movies.mdb");
    EXPECT_EQ(std::count(list.output.begin(), list.output.end(), '\n'), 15);
}

TEST(Tool, ListNamesUnreadableValuesOnStandardErrorAndSucceeds)
{
    vantrelle::ScratchDir dir;
    vantrelle::test::ScopedWorkingDir here(dir.path());
    ASSERT_EQ(runTool("create").exitCode, 0);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open("Movies.mdb", &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "INSERT INTO Movies (ID, NameOfMovie, Year) VALUES (7, 'Brazil', '19x9')", nullptr,
                  nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);

    const ToolRun list = runTool("list");
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.output, "7\tBrazil\t\n");
    EXPECT_EQ(list.errors,
        "vantrelle-tool: Some values in the catalogue cannot be read. They are shown empty, and each stays as it is "
        "in the file until a new value is saved in its place:\nThe column Year of the film with ID 7, \"Brazil\", "
        "holds '19x9', which is not a 32-bit integer\n");
}
