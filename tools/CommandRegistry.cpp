#include "CommandRegistry.h"

namespace vantrelle::tool {

std::map<std::string, Command>& commands()
{
    // Built on first use, so registrations from other files' static objects are safe.
    static std::map<std::string, Command> all;
    return all;
}

RegisterCommand::RegisterCommand(const std::string& name, Command command)
{
    commands().emplace(name, std::move(command));
}

} // namespace vantrelle::tool
