#include "GIFLzw.h"

#include "vantrelle/pictures/Errors.h"

#include <cstring>

namespace vantrelle::pictures {

namespace {

constexpr std::uint32_t kTableSize = 4096;
constexpr int kMaxCodeWidth = 12;

// Copies n bytes of an earlier string of the output to dst. The string ends at or before dst, so the
// bytes that matter never overlap; short strings move as one 16-byte block (loaded before it is stored),
// which may scribble on the padding after dst + n.
inline void copyString(std::uint8_t* dst, const std::uint8_t* src, std::size_t n)
{
    if (n <= 16) {
        std::uint8_t block[16];
        std::memcpy(block, src, 16);
        std::memcpy(dst, block, 16);
    } else {
        std::memcpy(dst, src, n);
    }
}

} // namespace

LzwResult decodeLzw(const std::uint8_t* data, std::size_t size, int minCodeSize, std::uint8_t* out, std::size_t count)
{
    // Each table entry is a string already written to the output: where it starts and how long it is. An
    // entry is always the previous code's string plus the first byte of the code after it, and those two
    // strings stand next to each other in the output.
    std::uint32_t offset[kTableSize];
    std::uint16_t length[kTableSize];

    const std::uint32_t clearCode = 1u << minCodeSize;
    const std::uint32_t endCode = clearCode + 1;
    int codeWidth = minCodeSize + 1;
    std::uint32_t codeMask = (1u << codeWidth) - 1;
    std::uint32_t nextCode = clearCode + 2;

    bool havePrevious = false;
    std::size_t previousStart = 0;
    std::uint32_t previousLength = 0;

    const std::uint64_t totalBits = std::uint64_t(size) * 8;
    std::uint64_t bitPosition = 0;
    std::size_t position = 0;
    LzwResult result;

    while (position < count) {
        if (bitPosition + codeWidth > totalBits) {
            result.underRun = true;
            break;
        }
        const std::uint8_t* p = data + (bitPosition >> 3);
        const std::uint32_t bits = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
        const std::uint32_t code = (bits >> (bitPosition & 7)) & codeMask;
        bitPosition += codeWidth;

        if (code == clearCode) {
            codeWidth = minCodeSize + 1;
            codeMask = (1u << codeWidth) - 1;
            nextCode = clearCode + 2;
            havePrevious = false;
            continue;
        }
        if (code == endCode)
            break;

        const std::size_t room = count - position;
        std::uint32_t stringLength;
        if (code < clearCode) {
            out[position] = std::uint8_t(code);
            stringLength = 1;
        } else if (code < nextCode && code > endCode) {
            stringLength = length[code];
            copyString(out + position, out + offset[code], stringLength < room ? stringLength : room);
        } else if (code == nextCode && havePrevious) {
            // The string being defined: the previous string and its own first byte (GIF89a, Appendix F).
            stringLength = previousLength + 1;
            copyString(out + position, out + previousStart, previousLength < room ? previousLength : room);
            if (previousLength < room)
                out[position + previousLength] = out[previousStart];
        } else {
            throw EGIFError("Circular decoder table entry");
        }

        if (havePrevious && nextCode < kTableSize) {
            offset[nextCode] = std::uint32_t(previousStart);
            length[nextCode] = std::uint16_t(previousLength + 1);
            ++nextCode;
            if (nextCode > codeMask && codeWidth < kMaxCodeWidth) {
                ++codeWidth;
                codeMask = (1u << codeWidth) - 1;
            }
        }
        havePrevious = true;
        previousStart = position;
        previousLength = stringLength;
        position += stringLength < room ? stringLength : room;
    }
    result.written = position;
    return result;
}

} // namespace vantrelle::pictures
