#include "ToolRun.h"

#include "TestFiles.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

namespace vantrelle::test {

ToolRun runTool(const std::string& arguments)
{
    ToolRun run;
    const ScratchDir scratch;
    const auto errors = scratch / "stderr";
    const std::string command = std::string(VANTRELLE_TOOL) + " " + arguments + " 2>" + errors.string();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, count);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = readFile(errors);
    return run;
}

void expectToolSteps(std::span<const ToolStep> steps)
{
    for (const ToolStep& step : steps) {
        const ToolRun run = runTool(step.arguments);
        EXPECT_EQ(run.exitCode, step.exitCode) << step.arguments << "\n" << run.all();
        EXPECT_EQ(run.all().substr(0, step.output.size()), step.output) << step.arguments;
    }
}

} // namespace vantrelle::test
