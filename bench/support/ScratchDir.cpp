#include "ScratchDir.h"

#include <unistd.h>

#include <system_error>

namespace vantrelle::bench {

ScratchDir::ScratchDir(const std::string& name)
    : m_path(std::filesystem::temp_directory_path() / ("vantrelle-" + name + "-" + std::to_string(::getpid())))
{
    std::filesystem::create_directories(m_path);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored; // Never throw an exception in a destructor
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace vantrelle::bench
