#pragma once

// The Content-Range of a 206 answer (RFC 9110, 14.4): "bytes FIRST-LAST/COMPLETE".

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantrelle::http {

struct ContentRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0; // inclusive
    std::uint64_t complete = 0; // the length of the whole file

    bool operator==(const ContentRange&) const = default;
};

// Nothing unless the value is one satisfied byte range of a file of known length, with
// first <= last < complete; an unknown length ("*") does not count.
std::optional<ContentRange> parseContentRange(std::string_view value);

} // namespace vantrelle::http
