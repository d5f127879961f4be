#pragma once

// What the CSV and JSON readers give: the columns a data file names and its records, each value with the line
// it starts on, so that a bad value can be reported where the user can find it.

#include "vantrelle/Error.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrelle::exchange {

// A data file that cannot be read, or one of its values that does not fit its column. The message says where:
// "line 7: ..." or "line 7, column Runtime: ...".
class EDataFileError : public vantrelle::Error {
public:
    using vantrelle::Error::Error;
};

// One value: text, or null.
struct Cell {
    std::optional<std::string> text;
    int line = 0; // where the value starts, from 1
};

struct Record {
    int line = 0; // where the record starts, from 1
    // By column; nothing where the record does not give the column (a JSON object without that key).
    std::vector<std::optional<Cell>> cells;
};

struct DataTable {
    std::vector<std::string> columns; // as the file names them, in the order of first appearance
    std::vector<Record> records;
};

} // namespace vantrelle::exchange
