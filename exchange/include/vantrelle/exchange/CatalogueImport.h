#pragma once

#include "vantrelle/exchange/DataFormat.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrelle::exchange {

struct ImportOptions {
    DataFormat format = DataFormat::Csv;
    // Pairs of a column of the file and the catalogue column it fills, both in any case.
    std::vector<std::pair<std::string, std::string>> columnMap;
    // Leave out films whose title (compared as the list compares titles) and year match a film that was in the
    // catalogue before the import. Films of the file never count as duplicates of each other: two copies of one
    // film (on DVD and on Blu-ray, say) are two rows.
    bool skipDuplicates = false;
    // Cover files named in the data file are found relative to this folder (the data file's).
    std::filesystem::path baseFolder = ".";
    // Told once about each column of the file that the catalogue does not have; it is ignored.
    std::function<void(const std::string& column)> ignoredColumn;
    // Told now and then how many of the file's films have been read, and how many bytes of the file, out of
    // how many; last when all are in the catalogue.
    std::function<void(std::size_t films, std::size_t bytesRead, std::size_t bytes)> progress;
};

struct ImportResult {
    std::size_t imported = 0;
    std::size_t skipped = 0; // duplicates left out
};

// Adds the films of a CSV or JSON data file (Csv.h, Json.h; an UTF-8 byte-order mark is skipped) to the
// catalogue that `connectionString` names, in one transaction: all of them, or none. Each record goes into the
// transaction as soon as it is read, so that no more than one is held.
//
// Columns match the catalogue's by name in any case; the ID column is ignored, since the catalogue gives the
// IDs. Every value goes through its column's conversion, as a bound box's text does: text that is not UTF-8 is
// read as Windows-1252 and cut to the column's size, integers are checked ("'%s' is not a valid integer value
// for field '%s'"). A cover is a file name or base64 bytes; bitmap bytes are kept as they are, other pictures
// are reduced by the cover import.
//
// A value that does not convert fails the whole import with EDataFileError "line N, column C: message", and
// the catalogue is left unchanged; so do a file that cannot be read and a --map that names nothing.
ImportResult importMovies(std::string_view file, std::string_view connectionString, const ImportOptions& options);

} // namespace vantrelle::exchange
