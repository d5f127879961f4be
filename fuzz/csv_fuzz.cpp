// Reads arbitrary bytes as a CSV data file. A table that reads must come back unchanged when it is written with
// the writer's quoting and read again: the reader's line ends, quotes and nulls agree with the writer's.
#include "DataTableRoundTrip.h"
#include "vantrelle/Csv.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace vantrelle;

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vantrelle::fuzz::checkRoundTrip(data, size, [](std::string_view text) { return readCsv(text); }, written, false);
    return 0;
}
