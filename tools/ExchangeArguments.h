#pragma once

// Arguments that the export and import commands share.

#include "CommandRegistry.h"

#include "vantrelle/exchange/DataFormat.h"

#include <string>
#include <vector>

namespace vantrelle::tool {

// The value of --format: csv or json.
inline exchange::DataFormat formatArgument(const std::string& text)
{
    const auto format = exchange::dataFormatNamed(text);
    if (!format)
        throw UsageError { "--format takes csv or json" };
    return *format;
}

// "a,b,c" as its items.
inline std::vector<std::string> commaList(const std::string& text)
{
    std::vector<std::string> items;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

} // namespace vantrelle::tool
