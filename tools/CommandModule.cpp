#include "CommandModule.h"

#include "CommandRegistry.h"

#include "vantrelle/Error.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace vantrelle::tool {

namespace {

constexpr const char* kModuleFile = "vantrelle-tool-commands.so";

std::filesystem::path toolFolder()
{
    std::error_code error;
    const std::filesystem::path tool = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : tool.parent_path();
}

} // namespace

void loadCommandModule()
{
    static bool loaded = false;
    if (loaded)
        return;
    const std::filesystem::path folder = toolFolder();
    // VANTRELLE_TOOL_MODULE_DIR: the module's install folder, relative to the tool's.
    const std::filesystem::path places[] = { folder / kModuleFile, folder / VANTRELLE_TOOL_MODULE_DIR / kModuleFile };
    for (const std::filesystem::path& place : places) {
        if (!std::filesystem::exists(place))
            continue;
        // RTLD_LOCAL: the module's own copies of the core modules stay its own.
        void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr)
            throw vantrelle::Error(std::string("Cannot load ") + place.string() + ": " + dlerror());
        using ModuleCommands = const std::map<std::string, Command>* (*)();
        const auto moduleCommands = reinterpret_cast<ModuleCommands>(dlsym(module, "vantrelleToolModuleCommands"));
        if (moduleCommands == nullptr)
            throw vantrelle::Error(place.string() + " is not the tool's command module");
        for (const auto& [name, command] : *moduleCommands())
            commands().emplace(name, command);
        // The module stays loaded: the commands taken from it run its code.
        loaded = true;
        return;
    }
    throw vantrelle::Error(std::string("The tool's command module ") + kModuleFile + " is neither in "
        + places[0].parent_path().string() + " nor in " + places[1].parent_path().lexically_normal().string());
}

} // namespace vantrelle::tool
