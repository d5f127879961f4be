#include "ToolRun.h"

#include "TempDir.h"

#include <sys/wait.h>

#include <cstdio>

namespace vantrelle::test {

ToolRun runTool(const std::string& arguments)
{
    ToolRun run;
    const TempDir scratch;
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

} // namespace vantrelle::test
