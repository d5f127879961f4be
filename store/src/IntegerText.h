#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrelle::store {

// Reads a 32-bit integer: leading blanks, an optional "+" or "-", then decimal digits or hexadecimal digits
// after "$", "x", "X" or "0x", and nothing after. Nothing when the text is not such an integer or the value
// does not fit in 32 bits.
std::optional<std::int32_t> parseInteger(std::string_view text);

// Formats `value` by a display format such as "0 'Mins.'": the first run of 0 and # stands for the number
// (at least as many digits as it has zeros), text in single or double quotes is copied without the quotes,
// other characters are copied. An empty format gives the plain number.
std::string formatInteger(std::string_view format, std::int32_t value);

} // namespace vantrelle::store
