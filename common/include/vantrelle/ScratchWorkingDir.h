#pragma once

#include "vantrelle/ScratchDir.h"

#include <filesystem>

namespace vantrelle {

// A ScratchDir made the working directory while the object lives, so that work with fixed file names in the
// working directory (the cover import's temporary copies) never meets anyone else's files. The previous
// working directory comes back before the folder is removed.
class ScratchWorkingDir {
public:
    ScratchWorkingDir();
    ~ScratchWorkingDir();
    ScratchWorkingDir(const ScratchWorkingDir&) = delete;
    ScratchWorkingDir& operator=(const ScratchWorkingDir&) = delete;

    const std::filesystem::path& path() const { return m_folder.path(); }

private:
    std::filesystem::path m_previous;
    ScratchDir m_folder; // after m_previous: made once the working directory is known
};

} // namespace vantrelle
