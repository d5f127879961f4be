#include "LoopbackServer.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace vantrelle::http {
namespace {

struct ToolRun {
    int exitCode;
    std::string output; // standard output and error
};

ToolRun runTool(const std::string& arguments)
{
    const std::string command = std::string(VANTRELLE_TOOL) + " fetch " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ToolRun run { -1, {} };
    char buffer[4096];
    while (std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, count);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(FetchCommand, PrintsStatusRedirectHeadersAndBody)
{
    for (const char* mode : { "", "--async " }) {
        const ToolRun run = runTool(mode + test::server().url("/redirect/1"));
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
    vantrelle::test::TempDir dir;
    const ToolRun run = runTool("-o " + (dir / "body.bin").string() + " " + test::server().url("/zero"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(vantrelle::test::readFile(dir / "body.bin"), std::string("ab\0cd", 5));
}

TEST(FetchCommand, FailureGivesTheMessageAndANonZeroExit)
{
    const std::string refused = "http://127.0.0.1:" + std::to_string(test::refusedPort()) + "/";
    for (const std::string& arguments : { refused, "--async " + refused }) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments;
        EXPECT_NE(run.output.find("A connection with the server could not be established"), std::string::npos)
            << run.output;
    }
    EXPECT_EQ(runTool("ftp://files.example/x").exitCode, 1);
    EXPECT_EQ(runTool("").exitCode, 2);
}

} // namespace
} // namespace vantrelle::http
