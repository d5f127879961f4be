#pragma once

#include <cstdint>

namespace vantrelle::pictures {

// Little-endian fields of the Windows and GIF file formats, read from and written to bytes the caller has checked.
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

inline void putLe16(std::uint8_t* p, std::uint16_t value)
{
    p[0] = std::uint8_t(value);
    p[1] = std::uint8_t(value >> 8);
}
inline void putLe32(std::uint8_t* p, std::uint32_t value)
{
    putLe16(p, std::uint16_t(value));
    putLe16(p + 2, std::uint16_t(value >> 16));
}

} // namespace vantrelle::pictures
