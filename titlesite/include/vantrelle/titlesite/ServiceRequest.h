#pragma once

// What a request to the title service asks for, read from its request target.
//
// Limitations: only the three forms the program sends are understood, in origin form
// ("/Title?0100001") or proxy form ("http://us.imdb.com/Title?0100001"): "/Title?" + a title number
// (optional "tt", leading zeros, surrounding blanks; at most 18 digits besides the zeros), "/Tsearch?" + words joined
// by "+" (URL-encoded or not; bytes that are no valid UTF-8 are read as Windows-1252), and
// "/Posters/" + a file name. Anything else asks for nothing the service has.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrelle::titlesite {

struct ServiceRequest {
    enum class Kind {
        Title, // a title page: `number`, 0 when the request names no valid number
        Search, // a search: `words`, UTF-8
        Poster, // a poster picture: `posterFile`
        Unknown,
    };
    Kind kind = Kind::Unknown;
    std::int64_t number = 0;
    std::string words;
    std::string posterFile;
};

ServiceRequest parseRequestTarget(std::string_view target);

// The host (and port) a proxy-form target names ("us.imdb.com" of "http://us.imdb.com/Title?1"); empty for
// an origin-form target.
std::string_view targetAuthority(std::string_view target);

// The title number of a "/Title?" query: "0100001", "100001", "tt0100001"; nothing for any other
// text or for 0.
std::optional<std::int64_t> requestedTitleNumber(std::string_view query);

} // namespace vantrelle::titlesite
