#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vantrelle::bench {

// A folder of this run's own under the system's temporary folder ("vantrelle-<name>-<pid>"),
// removed with everything in it when the object goes.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

} // namespace vantrelle::bench
