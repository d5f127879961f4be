// Reads arbitrary bytes as a JSON data file. A table that reads must come back unchanged when it is written as
// JSON again (values as strings, absent keys left out) and read once more.
#include "vantrelle/JsonText.h"
#include "vantrelle/exchange/Json.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace vantrelle::exchange;

std::string written(const DataTable& table)
{
    std::string json = "[";
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        json += i ? ",\n{" : "\n{";
        bool first = true;
        for (std::size_t k = 0; k < table.records[i].cells.size(); ++k) {
            const auto& cell = table.records[i].cells[k];
            if (!cell)
                continue;
            json += first ? "" : ", ";
            first = false;
            vantrelle::appendJsonQuoted(json, table.columns[k]);
            json += ": ";
            if (cell->text)
                vantrelle::appendJsonQuoted(json, *cell->text);
            else
                json += "null";
        }
        json += "}";
    }
    return json + "\n]\n";
}

bool sameValues(const DataTable& a, const DataTable& b)
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DataTable table;
    try {
        table = readJson(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const vantrelle::Error&) {
        return 0; // refused with a message: what a damaged file must give
    }
    for (const Record& record : table.records)
        if (record.cells.size() != table.columns.size())
            __builtin_trap();
    if (!sameValues(readJson(written(table)), table))
        __builtin_trap();
    return 0;
}
