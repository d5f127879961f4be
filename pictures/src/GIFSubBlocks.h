#pragma once

#include "vantrelle/pictures/Stream.h"

#include <cstddef>
#include <cstdint>

namespace vantrelle::pictures {

// Reads the data of an image's sub-blocks (GIF89a, section 15) from the stream in place, without joining
// them first: each sub-block is a size byte and that many bytes, up to a size of 0 (the block terminator)
// or the end of the stream. A sub-block announced longer than the bytes left is read as far as they go.
class SubBlockReader {
public:
    explicit SubBlockReader(Stream& stream)
        : m_stream(stream)
    {
    }

    // Copies up to `count` bytes of the sub-blocks' data; fewer only where the data end.
    std::size_t read(std::uint8_t* destination, std::size_t count);
    // Skips the data that are left, through the block terminator.
    void skipRest();
    // Whether a sub-block was cut short by the end of the stream.
    bool truncated() const { return m_truncated; }

private:
    // Moves to the next sub-block when the current one is used up; false at the end of the data.
    bool haveData();

    Stream& m_stream;
    std::size_t m_blockLeft = 0;
    bool m_ended = false;
    bool m_truncated = false;
};

} // namespace vantrelle::pictures
