#pragma once

#include "vantrelle/ScratchDir.h" // the tests' temporary folders

#include <filesystem>
#include <string>
#include <string_view>

namespace vantrelle::test {

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
