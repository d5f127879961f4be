#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vantrelle::tool {

using Arguments = std::vector<std::string>;

// A sub-command returns the process's exit code; failures may also be thrown as
// vantrelle::Error (exit 1) or UsageError (exit 2, the usage is printed).
struct Command {
    std::string usage;   // e.g. "create [FILE]"
    std::string summary; // one line for the help text
    std::function<int(const Arguments&)> run;
};

struct UsageError {
    std::string message;
};

std::map<std::string, Command>& commands();

// Each commands/*.cpp file registers its sub-commands with a static instance of this.
struct RegisterCommand {
    RegisterCommand(const std::string& name, Command command);
};

} // namespace vantrelle::tool
