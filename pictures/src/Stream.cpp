#include "vantrelle/pictures/Stream.h"

#include "vantrelle/pictures/Errors.h"

#include <cstring>

namespace vantrelle::pictures {

std::size_t Stream::Read(void* destination, std::size_t count)
{
    const std::size_t n = count < Remaining() ? count : Remaining();
    if (n > 0)
        std::memcpy(destination, m_bytes.data() + m_position, n);
    m_position += n;
    return n;
}

void Stream::ReadBuffer(void* destination, std::size_t count, const char* shortMessage)
{
    if (count > Remaining())
        throw EInvalidGraphic(shortMessage);
    Read(destination, count);
}

} // namespace vantrelle::pictures
