#pragma once

#include <string>
#include <string_view>

namespace vantrelle {

// The system's own strings are 8-bit. Text that is valid UTF-8 is taken as UTF-8;
// any other byte is taken as Windows-1252, so old Latin-1 pages and user input in
// any script both arrive intact.

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of a Unicode character (at most U+10FFFF, not a surrogate).
void appendUtf8(std::string& out, char32_t c);

// Converts 8-bit system text to UTF-8 by the rule above.
std::string ansiToUtf8(std::string_view bytes);

// Number of Unicode characters in valid UTF-8 text.
std::size_t utf8Length(std::string_view utf8);

// The longest prefix of valid UTF-8 text that holds at most maxChars characters.
std::string_view utf8Prefix(std::string_view utf8, std::size_t maxChars);

} // namespace vantrelle
