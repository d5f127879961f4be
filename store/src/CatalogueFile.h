#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vantrelle::store {

// The path in single quotes, as the store's messages name a file.
std::string quoted(const std::filesystem::path& file);

// Whether the connection string asks for the catalogue to be only read: ReadOnly=1, as the Access driver takes it.
bool readOnlyAsked(std::string_view connectionString);

// Says in our own words what SQLite would only call "unable to open" or "file is not a database": throws
// EEngineError unless `file` is there, can be read and is a SQLite database (or empty, which SQLite takes as
// one). An Access file is named as such, with what to do about it.
void checkCatalogueFile(const std::filesystem::path& file);

// Whether `file` lies on a disk of this machine, whose one page cache every program reads the file through; on a
// network share another machine's writes show only once a lock is taken.
bool onLocalDisk(const std::filesystem::path& file);

} // namespace vantrelle::store
