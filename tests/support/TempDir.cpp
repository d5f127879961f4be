#include "TempDir.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace vantrelle::test {

TempDir::TempDir()
{
    std::random_device seed;
    std::mt19937_64 random(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("vantrelle-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = std::move(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir()
{
    std::error_code ignored; // Never throw an exception in a destructor
    std::filesystem::remove_all(m_path, ignored);
}

ScopedWorkingDir::ScopedWorkingDir(const std::filesystem::path& dir)
    : m_previous(std::filesystem::current_path())
{
    std::filesystem::current_path(dir);
}

ScopedWorkingDir::~ScopedWorkingDir()
{
    std::error_code ignored;
    std::filesystem::current_path(m_previous, ignored);
}

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

} // namespace vantrelle::test
