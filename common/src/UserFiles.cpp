#include "vantrelle/UserFiles.h"

#include "vantrelle/Error.h"

#include <cstdlib>

namespace vantrelle {

namespace {

// An environment variable's value when it is set to an absolute path; empty otherwise.
std::filesystem::path absoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return {};
    std::filesystem::path path(value);
    return path.is_absolute() ? path : std::filesystem::path();
}

} // namespace

std::filesystem::path userDataDir()
{
    if (const auto dataHome = absoluteFromEnvironment("XDG_DATA_HOME"); !dataHome.empty())
        return dataHome / "vantrelle";
    if (const auto home = absoluteFromEnvironment("HOME"); !home.empty())
        return home / ".local" / "share" / "vantrelle";
    throw Error("Cannot find the folder for Vantrelle's files: neither XDG_DATA_HOME nor HOME is set");
}

std::filesystem::path userTitleIndex()
{
    if (const char* named = std::getenv("VANTRELLE_TITLE_INDEX"); named != nullptr && *named != '\0')
        return named;
    return userDataDir() / "titles.db";
}

} // namespace vantrelle
