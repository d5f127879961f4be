#pragma once

// Plain text operations that the title-service client cuts values out of HTML pages with.
//
// Texts are 8-bit byte strings; positions are 1-based and 0 means "does not occur". The operations
// work on views: a scraping step shortens the view it is given and never copies the text, so a
// page is scraped in time proportional to its size.

#include <array>
#include <cstddef>
#include <string_view>

namespace vantrelle::titleservice {

// 1-based position of the first occurrence of `pattern` in `text`; 0 when it does not occur or
// when either is empty.
std::size_t position(std::string_view pattern, std::string_view text);

// The substring rule: `count` characters of `text` from the 1-based `start`. Empty when the text
// is empty, the start lies beyond its end or the count is negative; a start below 1 counts as 1;
// a count reaching past the end is cut there.
std::string_view substring(std::string_view text, long long start, long long count);

// Keeps the text from `n` characters after the start of the first `marker` (from the n-th
// character when the marker is absent), always without the text's last character.
void SkipPast(std::string_view& text, std::string_view marker, long long n);

// Keeps what precedes the first `marker`; nothing when the marker is absent.
void KeepBefore(std::string_view& text, std::string_view marker);

// Keeps the text from the start of the first `marker`, without its last character; the text is
// left whole when the marker is absent.
void SkipTo(std::string_view& text, std::string_view marker);

// The same three steps with the marker's position already known (0 for absent), for callers
// that find markers themselves.
void skipPastAt(std::string_view& text, std::size_t markerPosition, long long n);
void keepBeforeAt(std::string_view& text, std::size_t markerPosition);
void skipToAt(std::string_view& text, std::size_t markerPosition);

// The text without leading and trailing characters of codes 0 to 32.
std::string_view trimmed(std::string_view text);

// Bad-character shifts of a Boyer-Moore search: for each byte value, its distance from the
// pattern's end at its rightmost occurrence, or the pattern's length; both modulo 256.
using SkipTable = std::array<unsigned char, 256>;

SkipTable BuildSkipTable(std::string_view pattern);

// Boyer-Moore search with the bad-character rule only; 1-based position of the first
// occurrence of `pattern` in `text`, 0 for none.
std::size_t SkipTableSearch(std::string_view text, std::string_view pattern, const SkipTable& table);

// Position of `pattern` in `text`: a plain search for patterns under 5 characters or texts under
// 255 characters, the skip-table search otherwise. Both give the same position.
std::size_t FastPos(std::string_view pattern, std::string_view text);

std::size_t CharCount(char c, std::string_view text);

// Occurrences of `pattern` in `text`, overlapping ones included ("aa" occurs 3 times in "aaaa").
std::size_t SubstringCount(std::string_view pattern, std::string_view text);

// Number of `delimiter`-separated fields: 0 for an empty text, else the delimiter count plus 1.
std::size_t FieldCount(std::string_view text, std::string_view delimiter);

// Removes the first field and its delimiter from `text` and returns the field. A field followed
// by a delimiter comes back without leading and trailing spaces; the last field comes back as
// it stands.
std::string_view TakeField(std::string_view& text, std::string_view delimiter);

std::string_view TrimLeftChar(std::string_view text, char c);
std::string_view TrimRightChar(std::string_view text, char c);
std::string_view TrimChar(std::string_view text, char left, char right);

} // namespace vantrelle::titleservice
