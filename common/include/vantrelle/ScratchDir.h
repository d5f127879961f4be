#pragma once

#include <filesystem>
#include <string_view>

namespace vantrelle {

// A fresh folder of its own under the system's temporary folder ("vantrelle-<purpose>-XXXXXX"), removed with
// everything in it when the object goes. Throws vantrelle::Error when no folder can be made.
class ScratchDir {
public:
    explicit ScratchDir(std::string_view purpose = "scratch");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

} // namespace vantrelle
