#pragma once

// What the CSV and JSON readers give: the columns a data file names and its records, each value with the line
// it starts on, so that a bad value can be reported where the user can find it.

#include "vantrelle/Error.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vantrelle {

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

// Reads the records of a data file one at a time, so that a reader of any size of file holds one record.
class RecordReader {
public:
    virtual ~RecordReader() = default;

    // The columns named so far, as the file names them, in the order of first appearance.
    const std::vector<std::string>& columns() const { return m_columns; }
    // Whether columns() is complete: a CSV file names every column in its header, while each object of a JSON
    // file may name new ones, so there only the end of the file tells.
    virtual bool allColumnsKnown() const = 0;
    // Reads the next record into `record`, reusing the storage it holds; false after the last one. The record
    // has a cell for each of the columns named up to its end.
    virtual bool next(Record& record) = 0;
    // How many bytes of the text have been read.
    std::size_t position() const { return m_pos; }

protected:
    std::vector<std::string> m_columns;
    std::size_t m_pos = 0;
};

// Every record of `reader`, each with a cell for each column of the file.
DataTable readAll(RecordReader& reader);

} // namespace vantrelle
