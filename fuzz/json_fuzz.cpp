// Reads arbitrary bytes as a JSON data file. A table that reads must come back unchanged when it is written as
// JSON again (values as strings, absent keys left out) and read once more.
#include "vantrelle/JsonText.h"
#include "DataTableRoundTrip.h"
#include "vantrelle/exchange/Json.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace vantrelle;
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vantrelle::fuzz::checkRoundTrip(data, size, [](std::string_view text) { return readJson(text); }, written, true);
    return 0;
}
