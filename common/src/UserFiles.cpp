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

// $VARIABLE/vantrelle, else $HOME/`underHome`/vantrelle (XDG Base Directory Specification).
std::filesystem::path xdgDir(const char* variable, const std::filesystem::path& underHome, const char* what)
{
    if (const auto base = absoluteFromEnvironment(variable); !base.empty())
        return base / "vantrelle";
    if (const auto home = absoluteFromEnvironment("HOME"); !home.empty())
        return home / underHome / "vantrelle";
    throw Error(
        std::string("Cannot find the folder for Vantrelle's ") + what + ": neither " + variable + " nor HOME is set");
}

} // namespace

std::filesystem::path userDataDir()
{
    return xdgDir("XDG_DATA_HOME", std::filesystem::path(".local") / "share", "files");
}

std::filesystem::path userCacheDir()
{
    return xdgDir("XDG_CACHE_HOME", ".cache", "caches");
}

std::filesystem::path userTitleIndex()
{
    if (const char* named = std::getenv("VANTRELLE_TITLE_INDEX"); named != nullptr && *named != '\0')
        return named;
    return userDataDir() / "titles.db";
}

} // namespace vantrelle
