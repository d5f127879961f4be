#include "vantrelle/ScratchWorkingDir.h"

#include "vantrelle/Error.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace vantrelle {

namespace fs = std::filesystem;

ScratchWorkingDir::ScratchWorkingDir()
    : m_previous(fs::current_path())
{
    std::string folder = (fs::temp_directory_path() / "vantrelle-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        throw Error("Cannot create a temporary folder in " + fs::temp_directory_path().string());
    m_path = folder;
    fs::current_path(m_path);
}

ScratchWorkingDir::~ScratchWorkingDir()
{
    std::error_code ignored; // never throw in a destructor
    fs::current_path(m_previous, ignored);
    fs::remove_all(m_path, ignored);
}

} // namespace vantrelle
