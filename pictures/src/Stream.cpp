#include "vantrelle/pictures/Stream.h"

#include "vantrelle/pictures/Errors.h"

#include <cstring>

namespace vantrelle::pictures {

std::size_t Stream::read(void* destination, std::size_t count)
{
    const std::size_t n = count < remaining() ? count : remaining();
    if (n > 0)
        std::memcpy(destination, m_bytes.data() + m_position, n);
    m_position += n;
    return n;
}

void Stream::readBuffer(void* destination, std::size_t count, const char* shortMessage)
{
    if (count > remaining())
        throw EInvalidGraphic(shortMessage);
    read(destination, count);
}

} // namespace vantrelle::pictures
