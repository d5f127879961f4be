#pragma once

#include <string>
#include <string_view>

namespace vantrelle::store {

// `text` in single quotes.
std::string quotedText(std::string_view text);

// Stored 8-bit text as a message shows it: converted to UTF-8 and cut to its first 40 characters, with "..."
// when it was longer.
std::string shortenedText(std::string_view text);

} // namespace vantrelle::store
