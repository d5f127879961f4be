#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace vantrelle::tool {

// Writes the bytes as the whole file, replacing one of that name. Throws pictures::EFileError
// ("Cannot create file ...") when that fails.
void writeOutputFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

} // namespace vantrelle::tool
