#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrelle::pictures {

class SubBlockReader;

// Extra writable bytes the LZW decoder needs after its output: room for whole 16-byte moves past the last
// pixel, and the table's one-byte strings.
inline constexpr std::size_t kLzwOutputPadding = 16 + 256 + 16;

struct LzwResult {
    std::size_t written = 0; // pixels decoded, from the start of the output
    bool underRun = false; // the data ran out before the end code or a full frame
};

// Decodes a GIF LZW code stream (GIF89a, Appendix F), read from the image's data sub-blocks, into `count`
// pixels in order. `out` has room for count + kLzwOutputPadding bytes, and the bytes from `written` on are
// left undefined; count + kLzwOutputPadding must fit in 32 bits. `minCodeSize` must be at most 11. Throws
// EGIFError("Circular decoder table entry") for a code that names a table entry not yet defined.
LzwResult decodeLzw(SubBlockReader& data, int minCodeSize, std::uint8_t* out, std::size_t count);

} // namespace vantrelle::pictures
