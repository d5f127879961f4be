#pragma once

#include <string>
#include <string_view>

namespace vantrelle {

// `utf8` as a JSON string (RFC 8259, section 7): in double quotes, with the quote, the backslash and the
// control characters escaped. Other characters, UTF-8 sequences included, are copied as they are.
std::string jsonQuoted(std::string_view utf8);

// Appends jsonQuoted(utf8) to `out`, for writers that build long texts.
void appendJsonQuoted(std::string& out, std::string_view utf8);

} // namespace vantrelle
