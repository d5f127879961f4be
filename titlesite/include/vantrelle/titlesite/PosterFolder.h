#pragma once

#include <cstdint>
#include <filesystem>
#include <map>

namespace vantrelle::titlesite {

// The posters of a folder: its plain files (no symlinks, folders or fifos) named after a title's number with at least 7
// digits and any extension
// ("0100001.jpg", "0100002.gif"), by title number. Throws vantrelle::Error when the folder does not exist.
std::map<std::int64_t, std::filesystem::path> posterFiles(const std::filesystem::path& folder);

} // namespace vantrelle::titlesite
