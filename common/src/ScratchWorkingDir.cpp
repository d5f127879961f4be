#include "vantrelle/ScratchWorkingDir.h"

#include <system_error>

namespace vantrelle {

namespace fs = std::filesystem;

ScratchWorkingDir::ScratchWorkingDir()
    : m_previous(fs::current_path())
    , m_folder("work")
{
    fs::current_path(m_folder.path());
}

ScratchWorkingDir::~ScratchWorkingDir()
{
    std::error_code ignored; // never throw in a destructor
    fs::current_path(m_previous, ignored);
}

} // namespace vantrelle
