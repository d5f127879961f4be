#pragma once

#include "vantrelle/exchange/DataFormat.h"
#include "vantrelle/store/StoredRow.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::exchange {

struct ExportOptions {
    DataFormat format = DataFormat::Csv;
    // Column names in any case, in the order wanted; empty: every column in table order.
    std::vector<std::string> fields;
    // Where covers go as <ID>.bmp files, named in the Cover column; without it the Cover column holds the
    // bytes in base64.
    std::optional<std::filesystem::path> coversFolder;
    // The folder of the file written; the cover files are named relative to it.
    std::filesystem::path outputFolder = ".";
    // Told of each stored value that does not convert to its column's type: it is written as null, and the
    // catalogue keeps it.
    std::function<void(const store::UnreadableValue&)> onUnreadable;
};

// Writes the films of the catalogue that `connectionString` names, in the list's title order, to `out`, and
// returns how many. The rows are read one by one, never all kept.
// CSV (Csv.h) has a header row of column names; JSON is one array with an object per film, nulls kept.
// Integers are written in decimal, text as it is stored (UTF-8). Fails with "Field '%s' not found" for an
// unknown field, and with EFileError when a cover file cannot be written.
std::size_t exportMovies(std::string_view connectionString, const ExportOptions& options, std::ostream& out);

} // namespace vantrelle::exchange
