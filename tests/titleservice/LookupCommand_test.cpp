// vantrelle-tool lookup: a whole lookup against the stand-in title service, printed as JSON.

#include "StandInTitleService.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

using vantrelle::test::runTool;

TEST(LookupCommand, FillsARowByNumberOrByNameAndWaitsForTheCover)
{
    const std::string proxy = " --proxy " + vantrelle::test::sharedTitleService().proxy();
    struct Case {
        std::string arguments;
        int exitCode;
        std::string pattern; // the whole output
    } const cases[] = {
        { "--number 0100001", 0,
            R"(\{"columns": \{"Director": "Edda Quill", "NameOfMovie": "Harbour Lights", "Year": 1987, .*"Runtime": 112\}, )"
            R"("placeholder": false, "posterUrl": "http://posters.imdb.com/Posters/0100001.jpg", )"
            R"("coverExtension": ".jpg", "runtimeEntries": \["112"\], "error": null, "coverBytes": [1-9][0-9]+, )"
            R"("message": null\}
)" },
        { "--name harbour --choose 1", 0,
            R"(\{"columns": \{.*"NameOfMovie": "Harbour Lights II: Undertow", .*"coverBytes": [1-9][0-9]+, "message": null\}
)" },
        { "--name 'copper sky'", 0,
            R"(\{"columns": \{.*"NameOfMovie": "Copper Sky", .*"placeholder": true, "posterUrl": null, .*"error": null, )"
            R"("coverBytes": null, "message": null\}
)" },
        { "--name zebra", 0,
            R"(\{"columns": \{\}, .*"coverBytes": null, "message": "No movie by that name have been found!"\}
)" },
        { "--name harbour --choose cancel", 0, R"(\{"columns": \{\}, .*"message": null\}
)" },
        { "--number 9999999", 0,
            R"(\{"columns": \{\}, .*"posterUrl": null, .*"error": null, "coverBytes": null, )"
            R"("message": "No film has the title number 9999999."\}
)" },
    };
    for (const auto& c : cases) {
        const auto run = runTool("lookup " + c.arguments + proxy);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_TRUE(std::regex_match(run.output, std::regex(c.pattern))) << c.arguments << "\n" << run.output;
    }
}

TEST(LookupCommand, WantsEitherANumberOrAName)
{
    for (const char* arguments : { "", "--number 1 --name x", "--number", "--choose 1 --name", "--title x" }) {
        const auto run = runTool(std::string("lookup ") + arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_NE(run.errors.find("usage: vantrelle-tool lookup"), std::string::npos) << run.all();
    }
}
