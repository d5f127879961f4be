#include "vantrelle/exchange/DataFormat.h"

#include <strings.h>

namespace vantrelle::exchange {

namespace {

bool sameWord(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace

std::optional<DataFormat> dataFormatNamed(std::string_view name)
{
    if (sameWord(name, "csv"))
        return DataFormat::Csv;
    if (sameWord(name, "json"))
        return DataFormat::Json;
    return std::nullopt;
}

DataFormat dataFormatOf(const std::filesystem::path& file)
{
    return sameWord(file.extension().string(), ".json") ? DataFormat::Json : DataFormat::Csv;
}

} // namespace vantrelle::exchange
