#pragma once

// Files of the program's own folders (caches, posters), opened so that nobody else on the machine can
// make the program read or write another file through them: never through a symlink in the file's own
// name, and read only when they are plain files (a fifo, a device or a folder is not read).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantrelle {

// The bytes of `file` when it is a regular file that is no symlink; nothing otherwise or when it cannot
// be read.
std::optional<std::string> readOwnFile(const std::filesystem::path& file);

// Makes `file` anew with `bytes`: fails (false) when anything, a symlink above all, already stands
// under its name, or when it cannot be written whole (what was written is then removed).
bool writeNewOwnFile(const std::filesystem::path& file, std::string_view bytes);

} // namespace vantrelle
