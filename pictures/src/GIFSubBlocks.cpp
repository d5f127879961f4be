#include "GIFSubBlocks.h"

#include <algorithm>

namespace vantrelle::pictures {

bool SubBlockReader::haveData()
{
    if (m_blockLeft > 0)
        return true;
    if (m_ended)
        return false;
    std::uint8_t size = 0;
    if (m_stream.read(&size, 1) == 0 || size == 0) {
        m_ended = true;
        return false;
    }
    m_blockLeft = size;
    if (m_stream.remaining() < size) {
        m_blockLeft = m_stream.remaining();
        m_truncated = true;
        m_ended = true;
    }
    return m_blockLeft > 0;
}

std::size_t SubBlockReader::read(std::uint8_t* destination, std::size_t count)
{
    std::size_t copied = 0;
    while (copied < count && haveData()) {
        const std::size_t n = m_stream.read(destination + copied, std::min(count - copied, m_blockLeft));
        m_blockLeft -= n;
        copied += n;
    }
    return copied;
}

void SubBlockReader::skipRest()
{
    while (haveData()) {
        m_stream.skip(m_blockLeft);
        m_blockLeft = 0;
    }
}

} // namespace vantrelle::pictures
