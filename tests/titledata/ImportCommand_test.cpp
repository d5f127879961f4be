// vantrelle-tool titles import, run as the user runs it.

#include "IndexFixture.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace vantrelle;
namespace fs = std::filesystem;

namespace {

const std::string kCredit = "Information courtesy of IMDb (https://www.imdb.com). Used with permission.\n";

} // namespace

TEST(ImportCommand, WritesTheIndexAndEndsWithTheCreditLine)
{
    vantrelle::ScratchDir dir;
    const std::string fixture = test::kDatasetFixture.string();
    struct Case {
        std::string arguments;
        fs::path index;
        std::string summary;
        std::string titles;
        std::string titleIndexVariable = {}; // VANTRELLE_TITLE_INDEX; unset when empty
    } const cases[] = {
        { fixture + " -o " + (dir / "named.db").string(), dir / "named.db", "Imported 7 titles and 17 people", "7" },
        { "--include-adult " + fixture + " -o " + (dir / "adult.db").string(), dir / "adult.db",
            "Imported 8 titles and 19 people", "8" },
        // Without -o: the user's data folder, made when missing.
        { fixture, dir / "data" / "vantrelle" / "titles.db", "Imported 7 titles and 17 people", "7" },
        // Or where the window is told to look for it.
        { fixture, dir / "chosen" / "index.db", "Imported 7 titles and 17 people", "7",
            (dir / "chosen" / "index.db").string() },
    };
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    for (const auto& c : cases) {
        if (c.titleIndexVariable.empty())
            unsetenv("VANTRELLE_TITLE_INDEX");
        else
            setenv("VANTRELLE_TITLE_INDEX", c.titleIndexVariable.c_str(), 1);
        const test::ToolRun run = test::runTool("titles import " + c.arguments);
        EXPECT_EQ(run.exitCode, 0) << c.arguments;
        EXPECT_EQ(run.output, c.summary + " into " + c.index.string() + "\n" + kCredit) << c.arguments;
        EXPECT_EQ(run.errors, "") << c.arguments; // no progress when standard error is not a terminal
        EXPECT_EQ(test::rows(c.index, "SELECT count(*) FROM titles"), std::vector<std::string> { c.titles })
            << c.arguments;
    }
    unsetenv("VANTRELLE_TITLE_INDEX");
}

TEST(ImportCommand, FailuresAndMistakes)
{
    vantrelle::ScratchDir dir;
    struct Case {
        std::string arguments;
        int exitCode;
        std::string output;
    } const cases[] = {
        { "titles import " + (dir / "none").string() + " -o " + (dir / "titles.db").string(), 1,
            "vantrelle-tool: '" + (dir / "none").string()
                + "' is not a folder; the import needs all five dataset "
                  "files (title.basics, title.ratings, title.crew, title.principals, name.basics), each as .tsv.gz or "
                  ".tsv\n" },
        { "titles import", 2,
            "vantrelle-tool: the folder of the dataset files is missing\n"
            "usage: vantrelle-tool titles (import DIR [-o FILE] [--include-adult] | download [DIR] | update)\n" },
        { "titles import a b", 2,
            "vantrelle-tool: unexpected argument 'b'\nusage: vantrelle-tool titles (import DIR [-o FILE] "
            "[--include-adult] | download [DIR] | update)\n" },
        { "titles import a -o", 2,
            "vantrelle-tool: -o needs a file name\nusage: vantrelle-tool titles (import DIR [-o FILE] "
            "[--include-adult] | download [DIR] | update)\n" },
        { "titles export a", 2,
            "vantrelle-tool: unknown action 'export'\nusage: vantrelle-tool titles (import DIR [-o FILE] "
            "[--include-adult] | download [DIR] | update)\n" },
    };
    for (const auto& c : cases) {
        const test::ToolRun run = test::runTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_EQ(run.errors, c.output) << c.arguments;
        EXPECT_EQ(run.output, "") << c.arguments;
    }
    EXPECT_FALSE(fs::exists(dir / "titles.db"));
}
