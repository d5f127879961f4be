#pragma once

#include <cstdint>

namespace vantrelle::pictures {

// Little-endian fields of the Windows and GIF file formats, read from bytes the caller has checked.
inline std::uint16_t le16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p)
{
    return std::uint32_t(le16(p)) | (std::uint32_t(le16(p + 2)) << 16);
}
inline std::int16_t les16(const std::uint8_t* p)
{
    return std::int16_t(le16(p));
}
inline std::int32_t les32(const std::uint8_t* p)
{
    return std::int32_t(le32(p));
}

} // namespace vantrelle::pictures
