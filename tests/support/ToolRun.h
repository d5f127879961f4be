#pragma once

#include <span>
#include <string>

namespace vantrelle::test {

// What one run of the companion tool left behind.
struct ToolRun {
    int exitCode = -1; // -1 when the tool did not exit normally
    std::string output; // standard output
    std::string errors; // standard error

    // Both streams, output first: for checks that do not care which stream a line went to.
    std::string all() const { return output + errors; }
};

// Runs `vantrelle-tool ARGUMENTS` (a shell command line, so arguments may carry redirections)
// and waits for it.
ToolRun runTool(const std::string& arguments);

// One run of the tool and what it must give: its exit code and the start of both streams.
struct ToolStep {
    std::string arguments;
    int exitCode;
    std::string output;
};

// Runs the steps in turn and checks each with GoogleTest.
void expectToolSteps(std::span<const ToolStep> steps);

} // namespace vantrelle::test
