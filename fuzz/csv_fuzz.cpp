// Reads arbitrary bytes as a CSV data file. A table that reads must come back unchanged when it is written with
// the writer's quoting and read again: the reader's line ends, quotes and nulls agree with the writer's.
#include "vantrelle/exchange/Csv.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace vantrelle::exchange;

std::string written(const DataTable& table)
{
    std::string csv;
    for (std::size_t k = 0; k < table.columns.size(); ++k) {
        csv += k ? "," : "";
        appendCsvText(csv, table.columns[k]);
    }
    csv += kCsvLineEnd;
    for (const Record& record : table.records) {
        for (std::size_t k = 0; k < record.cells.size(); ++k) {
            csv += k ? "," : "";
            if (record.cells[k]->text)
                appendCsvText(csv, *record.cells[k]->text);
        }
        csv += kCsvLineEnd;
    }
    return csv;
}

bool sameValues(const DataTable& a, const DataTable& b)
{
    if (a.columns != b.columns || a.records.size() != b.records.size())
        return false;
    for (std::size_t i = 0; i < a.records.size(); ++i) {
        if (a.records[i].cells.size() != b.records[i].cells.size())
            return false;
        for (std::size_t k = 0; k < a.records[i].cells.size(); ++k)
            if (a.records[i].cells[k]->text != b.records[i].cells[k]->text)
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DataTable table;
    try {
        table = readCsv(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const vantrelle::Error&) {
        return 0; // refused with a message: what a damaged file must give
    }
    for (const Record& record : table.records)
        if (record.cells.size() != table.columns.size())
            __builtin_trap();
    if (table.columns.empty())
        return 0; // an empty file: nothing to write back
    if (!sameValues(readCsv(written(table)), table))
        __builtin_trap();
    return 0;
}
