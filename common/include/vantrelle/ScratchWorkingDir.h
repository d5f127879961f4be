#pragma once

#include <filesystem>

namespace vantrelle {

// A fresh folder under the system's temporary folder, made the working directory while the object lives, so
// that work with fixed file names in the working directory (the cover import's temporary copies) never meets
// anyone else's files. The previous working directory comes back and the folder is removed with whatever was
// left in it. Throws vantrelle::Error when no folder can be made.
class ScratchWorkingDir {
public:
    ScratchWorkingDir();
    ~ScratchWorkingDir();
    ScratchWorkingDir(const ScratchWorkingDir&) = delete;
    ScratchWorkingDir& operator=(const ScratchWorkingDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};

} // namespace vantrelle
