#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantrelle::app {

// What the program is asked for on its command line: `vantrelle [FILE]`, `--help` or `--version`.
struct CommandLine {
    enum class Request { Run, Help, Version, UsageError };

    Request request = Request::Run;
    std::optional<std::string> file; // the catalogue to open, when one is named
    std::string error; // what is wrong, for UsageError
};

// Reads the arguments that follow the program's name. "--" ends the options, so a file whose name begins
// with "-" can be named after it.
CommandLine readCommandLine(const std::vector<std::string>& arguments);

// Prints the answer to Help, Version or UsageError on the terminal (standard output for the first two,
// standard error for the last) and gives the program's exit code.
int answerOnTerminal(const CommandLine& commandLine);

} // namespace vantrelle::app
