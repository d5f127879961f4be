#pragma once

// Reading and writing the program's own files in the user's cache and data folders without following
// a symbolic link that another user of the machine may have planted under one of their names.

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace vantrelle {

// The content of a regular file of at most `maxBytes`; nothing when it is absent, a link or anything
// but a regular file, larger, or unreadable.
std::optional<std::string> readOwnFile(
    const std::filesystem::path& file, std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

// Writes `bytes` into a new file beside `file` (made exclusively, never through a link), flushes it to
// disk and renames it over `file`; false when any step fails (errno says why), with nothing left behind.
bool writeOwnFile(const std::filesystem::path& file, std::string_view bytes, mode_t mode = 0644);

// Makes `file` anew (mode 0600) with `bytes`: fails (false) when anything, a symlink above all, already stands
// under its name, or when it cannot be written whole (what was written is then removed).
bool writeNewOwnFile(const std::filesystem::path& file, std::string_view bytes);

} // namespace vantrelle
