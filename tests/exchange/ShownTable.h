#pragma once

#include "vantrelle/DataTable.h"

#include <string>

namespace vantrelle::exchange::test {

// A table as one line: "Column|...|/line:value|...|/line:..." with (null) for null and (none) for a value the
// record does not give.
inline std::string shown(const DataTable& table)
{
    std::string out;
    for (const std::string& column : table.columns)
        out += column + "|";
    for (const Record& record : table.records) {
        out += "/" + std::to_string(record.line) + ":";
        for (const auto& cell : record.cells)
            out += (!cell ? "(none)" : cell->text ? *cell->text : "(null)") + "|";
    }
    return out;
}

} // namespace vantrelle::exchange::test
