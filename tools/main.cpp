#include "CommandModule.h"
#include "CommandRegistry.h"

#include "vantrelle/Error.h"

#include <exception>
#include <iostream>

using namespace vantrelle::tool;

namespace {

void printUsage(std::ostream& out)
{
    loadCommandModule();
    out << "usage: vantrelle-tool COMMAND [ARGS...]\n\ncommands:\n";
    for (const auto& [name, command] : commands())
        out << "  " << command.usage << "\n      " << command.summary << "\n";
}

int run(int argc, char** argv)
{
    if (argc < 2) {
        printUsage(std::cerr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "help" || name == "--help" || name == "-h") {
        printUsage(std::cout);
        return 0;
    }
    auto found = commands().find(name);
    if (found == commands().end()) {
        loadCommandModule();
        found = commands().find(name);
    }
    if (found == commands().end()) {
        std::cerr << "vantrelle-tool: unknown command '" << name << "'\n\n";
        printUsage(std::cerr);
        return 2;
    }
    try {
        return found->second.run(Arguments(argv + 2, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "vantrelle-tool: " << e.message << "\nusage: vantrelle-tool " << found->second.usage << "\n";
        return 2;
    }
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        // A failed command, or a command module that could not be loaded.
        std::cerr << "vantrelle-tool: " << e.what() << "\n";
        return 1;
    }
}
