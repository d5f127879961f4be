#pragma once

// The JSON form of a list of films (RFC 8259): one array of objects, each object one record whose keys name
// its columns. A value is a string, a number (kept as the text it is written as) or null.
//
// Limitations: true, false, objects and arrays as values are refused, as are a key given twice in one object,
// control characters inside strings and \u escapes of half a surrogate pair (EDataFileError with the line).
// A string whose bytes are not valid UTF-8 is read as Windows-1252, as the system's 8-bit text is.

#include "vantrelle/DataTable.h"

#include <memory>
#include <string_view>

namespace vantrelle::exchange {

// Reads the opening bracket at once; `text` must outlive the reader.
std::unique_ptr<RecordReader> jsonRecords(std::string_view text);

// The columns are the keys in the order they first appear; a record has no cell for a key its object lacks.
DataTable readJson(std::string_view text);

} // namespace vantrelle::exchange
