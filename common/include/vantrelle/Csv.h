#pragma once

// CSV as RFC 4180 writes it: records ended by CRLF, fields separated by commas, a field in double quotes when it
// holds a comma, a quote, CR or LF, with its quotes doubled. The first record names the columns.
//
// Null and empty text are told apart as PostgreSQL's CSV does: an empty field without quotes is null, "" is
// empty text.
//
// Reading is lenient where nothing can be misread: LF or a lone CR also end a record, a quote inside a field
// that does not start with one is kept as text, and an empty line is skipped unless the file has a single
// column (there it is a record whose value is null). Limitations: a quoted field without its closing quote,
// text after a closing quote, and a record with another number of fields than the header are refused
// (EDataFileError with the line). The bytes of the values are kept as they are; converting their encoding is
// the caller's business.

#include "vantrelle/DataTable.h"

#include <memory>
#include <string>
#include <string_view>

namespace vantrelle {

// Reads the header at once; `text` must outlive the reader.
std::unique_ptr<RecordReader> csvRecords(std::string_view text);
DataTable readCsv(std::string_view text);

// Appends `text` as one field, quoted when it must be; empty text is written as "".
void appendCsvText(std::string& out, std::string_view text);

inline constexpr std::string_view kCsvLineEnd = "\r\n";

} // namespace vantrelle
