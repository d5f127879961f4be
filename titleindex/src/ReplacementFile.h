#pragma once

#include <filesystem>

namespace vantrelle::titleindex {

// A new file built beside the one it replaces (same folder, temporary name) and renamed over it only by
// commit(), after it is on disk. Until then the file in place stays as it was; a replacement that is never
// committed removes its temporary file.
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
    bool m_committed = false;
};

} // namespace vantrelle::titleindex
