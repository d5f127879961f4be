#pragma once

// Small readings of the texts collection files hold, shared by the readers.

#include "vantrelle/collections/FileFilm.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::collections {

// Without the blanks and control characters around it.
std::string_view trimmedText(std::string_view text);

// The number of an IMDb title named by `text`: "tt0133093", or a link holding "/title/tt0133093".
std::optional<std::int64_t> titleNumberIn(std::string_view text);

// A year of four digits, 1850 to 2199, at the start of `text` ("1999", "1999-05-12"); or, when `anywhere`, the
// first such run of four digits standing alone ("25/12/2004").
std::optional<int> yearIn(std::string_view text, bool anywhere = false);

// A whole number of at most six digits, with blanks around it; none for anything else.
std::optional<int> countIn(std::string_view text);

// A running time in minutes: "102", "102 min", "1h52m", "2h", "52m".
std::optional<int> minutesIn(std::string_view text);

// The trimmed, non-empty parts of `text` between separators.
std::vector<std::string> splitList(std::string_view text, char separator);

// The films once each: a film whose title number, or else whose title and year, an earlier film has, is left
// out (a rewatch, a second edition, a repeated line); films without a title or number are left out too.
std::vector<FileFilm> distinctFilms(std::vector<FileFilm> films);

} // namespace vantrelle::collections
