#pragma once

// The check that the CSV and JSON fuzz targets share: bytes that read as a table must give a table whose records
// all have a cell for each column, and that table must come back unchanged when written and read once more.

#include "vantrelle/DataTable.h"
#include "vantrelle/Error.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrelle::fuzz {

inline bool sameValues(const DataTable& a, const DataTable& b)
{
    if (a.columns != b.columns || a.records.size() != b.records.size())
        return false;
    for (std::size_t i = 0; i < a.records.size(); ++i) {
        const auto& cellsA = a.records[i].cells;
        const auto& cellsB = b.records[i].cells;
        if (cellsA.size() != cellsB.size())
            return false;
        for (std::size_t k = 0; k < cellsA.size(); ++k)
            if (cellsA[k].has_value() != cellsB[k].has_value() || (cellsA[k] && cellsA[k]->text != cellsB[k]->text))
                return false;
    }
    return true;
}

// `read` takes text and gives a DataTable or throws vantrelle::Error; `write` gives text from a DataTable. A
// table without columns is written back only when `writesEmptyTables`.
template <typename Read, typename Write>
void checkRoundTrip(const std::uint8_t* data, std::size_t size, Read read, Write write, bool writesEmptyTables)
{
    DataTable table;
    try {
        table = read(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const vantrelle::Error&) {
        return; // refused with a message: what a damaged file must give
    }
    for (const Record& record : table.records)
        if (record.cells.size() != table.columns.size())
            __builtin_trap();
    if (table.columns.empty() && !writesEmptyTables)
        return;
    if (!sameValues(read(write(table)), table))
        __builtin_trap();
}

} // namespace vantrelle::fuzz
