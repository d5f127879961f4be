// The entry point of vantrelle-tool-commands.so (CommandModule.h): the commands that its files
// registered, for the tool to take over.
#include "CommandRegistry.h"

extern "C" const std::map<std::string, vantrelle::tool::Command>* vantrelleToolModuleCommands()
{
    return &vantrelle::tool::commands();
}
