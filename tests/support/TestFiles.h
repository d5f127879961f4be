#pragma once

#include "vantrelle/ScratchDir.h" // the tests' temporary folders

#include <filesystem>
#include <functional>
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

// Runs `work` in a child process that runs as "nobody" when the tests run as the superuser, so that file
// permissions hold for it; gives what `work` returned ("cannot drop privileges" when that failed).
std::string runUnprivileged(const std::function<std::string()>& work);
void writeFile(const std::filesystem::path& file, std::string_view bytes);

} // namespace vantrelle::test
