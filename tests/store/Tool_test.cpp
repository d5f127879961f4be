#include "TempDir.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using vantrelle::test::runTool;
using vantrelle::test::ToolRun;

TEST(Tool, CreateListAndDemo)
{
    vantrelle::test::TempDir dir;
    vantrelle::test::ScopedWorkingDir here(dir.path());
    const vantrelle::test::ToolStep steps[] = {
        { "list", 1, "vantrelle-tool: Could not find file 'Movies.mdb' in the folder '" + dir.path().string() + "'" },
        { "create", 0, "Created the empty catalogue Movies.mdb" },
        { "create", 1, "vantrelle-tool: 'Movies.mdb' already exists; an existing file is never overwritten" },
        { "list", 0, "" },
        { "create a b", 2, "vantrelle-tool: too many arguments" },
        { "demo", 2, "vantrelle-tool: the folder is missing" },
        { "demo sample", 0, "Created sample/Movies.mdb with 12 films" },
        { "demo sample", 1, "vantrelle-tool: 'sample/Movies.mdb' already exists" },
        { "list sample/Movies.mdb", 0, "6\tA Recipe for Thunder\t2016\n8\tCloudbreak\t2008\n" },
        { "list sample/nothing.mdb", 1, "vantrelle-tool: Could not find file 'nothing.mdb' in the folder" },
    };
    vantrelle::test::expectToolSteps(steps);
    const ToolRun list = runTool("list sample/Movies.mdb");
    EXPECT_EQ(std::count(list.output.begin(), list.output.end(), '\n'), 12);
}
