#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace vantrelle::exchange {

enum class DataFormat { Csv, Json };

// "csv" or "json" in any case; nothing for another name.
std::optional<DataFormat> dataFormatNamed(std::string_view name);

// The format a file's extension names (.json is JSON), CSV otherwise.
DataFormat dataFormatOf(const std::filesystem::path& file);

} // namespace vantrelle::exchange
