#include "vantrelle/ScratchDir.h"

#include "vantrelle/Error.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace vantrelle {

namespace fs = std::filesystem;

ScratchDir::ScratchDir(std::string_view purpose)
{
    std::string folder = (fs::temp_directory_path() / ("vantrelle-" + std::string(purpose) + "-XXXXXX")).string();
    if (!mkdtemp(folder.data()))
        throw Error("Cannot create a temporary folder in " + fs::temp_directory_path().string());
    m_path = folder;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored; // never throw in a destructor
    fs::remove_all(m_path, ignored);
}

} // namespace vantrelle
