#include "LoopbackServer.h"
#include "TestFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrelle::http {
namespace {

// Runs `vantrelle-tool fetch ARGUMENTS`.
vantrelle::test::ToolRun fetch(const std::string& arguments)
{
    return vantrelle::test::runTool("fetch " + arguments);
}

TEST(FetchCommand, PrintsStatusRedirectHeadersAndBody)
{
    for (const char* mode : { "", "--async " }) {
        const vantrelle::test::ToolRun run = fetch(mode + test::server().url("/redirect/1"));
        EXPECT_EQ(run.exitCode, 0) << mode;
        EXPECT_EQ(
            run.output.rfind("StatusCode: 200\nRedirectURL: " + test::server().url("/text") + "\nHTTP/1.1 200 OK\n", 0),
            0u)
            << run.output;
        EXPECT_EQ(run.output.substr(run.output.size() - 13), "\n\nhello world") << mode;
    }
}

TEST(FetchCommand, WritesTheRawBodyToAFile)
{
    vantrelle::ScratchDir dir;
    const vantrelle::test::ToolRun run = fetch("-o " + (dir / "body.bin").string() + " " + test::server().url("/zero"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(vantrelle::test::readFile(dir / "body.bin"), std::string("ab\0cd", 5));
}

TEST(FetchCommand, FailureGivesTheMessageAndANonZeroExit)
{
    const std::string refused = "http://127.0.0.1:" + std::to_string(test::refusedPort()) + "/";
    for (const std::string& arguments : { refused, "--async " + refused }) {
        const vantrelle::test::ToolRun run = fetch(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments;
        EXPECT_NE(run.errors.find("A connection with the server could not be established"), std::string::npos)
            << run.errors;
    }
    EXPECT_EQ(fetch("ftp://files.example/x").exitCode, 1);
    EXPECT_EQ(fetch("").exitCode, 2);
}

} // namespace
} // namespace vantrelle::http
