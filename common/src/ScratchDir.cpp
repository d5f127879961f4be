#include "vantrelle/ScratchDir.h"

#include "vantrelle/Error.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace vantrelle {

namespace fs = std::filesystem;

ScratchDir::ScratchDir(std::string_view purpose)
{
    // TMPDIR naming a folder that is not there fails here, with a message of its own.
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error)
        throw Error("Cannot create a temporary folder: " + error.message());
    std::string folder = (base / ("vantrelle-" + std::string(purpose) + "-XXXXXX")).string();
    if (!mkdtemp(folder.data()))
        throw Error("Cannot create a temporary folder in " + base.string());
    m_path = folder;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored; // never throw in a destructor
    fs::remove_all(m_path, ignored);
}

} // namespace vantrelle
