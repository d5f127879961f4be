#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vantrelle::test {

// A fresh empty directory, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Makes `dir` the working directory for the object's lifetime.
class ScopedWorkingDir {
public:
    explicit ScopedWorkingDir(const std::filesystem::path& dir);
    ~ScopedWorkingDir();
    ScopedWorkingDir(const ScopedWorkingDir&) = delete;
    ScopedWorkingDir& operator=(const ScopedWorkingDir&) = delete;

private:
    std::filesystem::path m_previous;
};

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, std::string_view bytes);

} // namespace vantrelle::test
