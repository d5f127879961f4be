#include "vantrelle/app/StartupCatalogue.h"

#include "vantrelle/Error.h"
#include "vantrelle/UserFiles.h"
#include "vantrelle/store/Schema.h"

namespace vantrelle::app {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCatalogueName = "Movies.mdb";

fs::path userCatalogue()
{
    const fs::path folder = userDataDir();
    const fs::path file = folder / kCatalogueName;
    if (fs::exists(file))
        return file;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw Error("Cannot create the folder '" + folder.string() + "' for your catalogue: " + error.message());
    store::createCatalogue(file);
    return file;
}

} // namespace

fs::path startupCatalogue(const std::optional<std::string>& file)
{
    if (file)
        return fs::absolute(*file).lexically_normal();
    if (fs::exists(kCatalogueName))
        return fs::absolute(kCatalogueName);
    return userCatalogue();
}

} // namespace vantrelle::app
