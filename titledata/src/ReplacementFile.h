#pragma once

#include <filesystem>

namespace vantrelle::titledata {

// A new file built beside the one it replaces (same folder, temporary name) and renamed over it only by
// commit(), after it is on disk. Until then the file in place stays as it was; a replacement that is never
// committed removes its temporary file.
//
// A replacement holds a lock on its temporary file while it lives. One whose process was killed leaves the
// file unlocked, and the next replacement of the same target removes it.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::filesystem::path& target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    const std::filesystem::path& path() const { return m_temporary; }
    void commit();

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    int m_lock = -1; // the temporary file, locked
    bool m_committed = false;
};

} // namespace vantrelle::titledata
