#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrelle::pictures {

// Extra writable bytes the LZW decoder needs after its output and after its input.
inline constexpr std::size_t kLzwOutputPadding = 16;
inline constexpr std::size_t kLzwInputPadding = 8;

struct LzwResult {
    std::size_t written = 0; // pixels decoded, from the start of the output
    bool underRun = false; // the data ran out before the end code or a full frame
};

// Decodes a GIF LZW code stream (GIF89a, Appendix F) into `count` pixels in order.
// `data` holds `size` bytes of joined data sub-blocks followed by kLzwInputPadding readable bytes; `out`
// has room for count + kLzwOutputPadding bytes, and the bytes from `written` on are left undefined.
// `minCodeSize` must be at most 11. Throws EGIFError("Circular decoder table entry") for a code that
// names a table entry not yet defined.
LzwResult decodeLzw(const std::uint8_t* data, std::size_t size, int minCodeSize, std::uint8_t* out, std::size_t count);

} // namespace vantrelle::pictures
