#include "GIFLzw.h"

#include "GIFSubBlocks.h"
#include "vantrelle/pictures/Errors.h"

#include <cstring>

namespace vantrelle::pictures {

namespace {

constexpr std::uint32_t kTableSize = 4096;
constexpr int kMaxCodeWidth = 12;
// Bytes that the output may take past its last pixel in one 16-byte move.
constexpr std::size_t kOverrun = 16;
// The code stream is read in chunks of this many bytes; a chunk stays in the first level cache.
constexpr std::size_t kChunkSize = 4096;

// Copies a string of n bytes that starts before dst. Only its last byte may lie at dst (a code that names the
// entry being defined: the previous string and its own first byte), and it is copied after the others are
// in place. Short strings move as one 16-byte block (loaded before it is stored), which may scribble on the
// bytes after dst + n.
inline void copyString(std::uint8_t* dst, const std::uint8_t* src, std::size_t n)
{
    if (n <= 16) {
        std::uint8_t block[16];
        std::memcpy(block, src, 16);
        std::memcpy(dst, block, 16);
    } else {
        std::memcpy(dst, src, n - 1);
    }
    dst[n - 1] = src[n - 1];
}

} // namespace

LzwResult decodeLzw(SubBlockReader& data, int minCodeSize, std::uint8_t* out, std::size_t count)
{
    // Each table entry is a string that is already in the output, where it starts and how long it is; the
    // roots stand after the output's last pixel and its overrun. A code is decoded the same way whatever
    // entry it names, so the decoder does not branch on the kind of code. The entry after the last defined
    // one is kept ready: the previous string and the first byte of the string that follows it, the two
    // standing next to each other in the output. Its last index is never a code.
    std::uint32_t offset[kTableSize + 1];
    std::uint16_t length[kTableSize + 1];

    const std::uint32_t roots = std::uint32_t(count + kOverrun);
    for (std::uint32_t i = 0; i < 256; ++i)
        out[roots + i] = std::uint8_t(i);
    const std::uint32_t clearCode = 1u << minCodeSize;
    const std::uint32_t endCode = clearCode + 1;
    for (std::uint32_t code = 0; code < clearCode; ++code) {
        offset[code] = roots + (code & 0xFF); // pixels are bytes: a wider root keeps its low byte
        length[code] = 1;
    }

    int codeWidth = minCodeSize + 1;
    std::uint32_t codeMask = (1u << codeWidth) - 1;
    std::uint32_t nextCode = clearCode + 2;
    std::uint32_t codeLimit = nextCode; // codes from here on name no entry
    bool havePrevious = false;

    // Codes are read three bytes at a time, so the chunk has two bytes more than its data.
    std::uint8_t chunk[kChunkSize + 2] = {};
    std::size_t chunkBits = 0;
    std::size_t bitPosition = 0;

    std::size_t position = 0;
    LzwResult result;
    while (position < count) {
        if (bitPosition + std::size_t(codeWidth) > chunkBits) {
            const std::size_t kept = (chunkBits >> 3) - (bitPosition >> 3);
            std::memmove(chunk, chunk + (bitPosition >> 3), kept);
            const std::size_t bytes = kept + data.read(chunk + kept, kChunkSize - kept);
            chunk[bytes] = chunk[bytes + 1] = 0;
            chunkBits = bytes * 8;
            bitPosition &= 7;
            if (bitPosition + std::size_t(codeWidth) > chunkBits) {
                result.underRun = true;
                break;
            }
        }
        const std::uint8_t* p = chunk + (bitPosition >> 3);
        const std::uint32_t bits = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
        const std::uint32_t code = (bits >> (bitPosition & 7)) & codeMask;
        bitPosition += std::size_t(codeWidth);

        if (code - clearCode < 2) {
            if (code == endCode)
                break;
            codeWidth = minCodeSize + 1;
            codeMask = (1u << codeWidth) - 1;
            nextCode = clearCode + 2;
            codeLimit = nextCode;
            havePrevious = false;
            continue;
        }
        if (code >= codeLimit)
            throw EGIFError("Circular decoder table entry");

        const std::size_t n = length[code];
        const std::size_t room = count - position;
        if (n > room) {
            // The last code runs past the frame: only what fits is kept, which stops before the string's last
            // byte, the one that may lie at the destination.
            copyString(out + position, out + offset[code], room);
            position = count;
            break;
        }
        copyString(out + position, out + offset[code], n);

        if (havePrevious && nextCode < kTableSize) {
            ++nextCode;
            if (nextCode > codeMask && codeWidth < kMaxCodeWidth) {
                ++codeWidth;
                codeMask = (1u << codeWidth) - 1;
            }
        }
        offset[nextCode] = std::uint32_t(position);
        length[nextCode] = std::uint16_t(n + 1);
        codeLimit = nextCode + 1;
        havePrevious = true;
        position += n;
    }
    result.written = position;
    return result;
}

} // namespace vantrelle::pictures
