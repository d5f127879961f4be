#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vantrelle::pictures {

struct MetafileBox {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The header record that opens an enhanced metafile (MS-EMF 2.3.4.2, EMR_HEADER), as far as it is used.
struct EnhancedHeader {
    MetafileBox bounds; // rclBounds: what the records draw, in reference-device pixels
    MetafileBox frame; // rclFrame: the picture, in hundredths of a millimetre
    std::int32_t devicePixelsX = 0; // szlDevice: the reference device in pixels
    std::int32_t devicePixelsY = 0;
    std::int32_t deviceMillimetresX = 0; // szlMillimeters: the reference device in millimetres
    std::int32_t deviceMillimetresY = 0;
};

// The header of `bytes` when they hold an enhanced metafile: more than 100 bytes, a header record
// first, and the " EMF" signature in it.
std::optional<EnhancedHeader> readEnhancedHeader(std::span<const std::uint8_t> bytes);

// What makes a Windows metafile placeable: a 22-byte header before it with a key and a checksum
// (MS-WMF 2.3.2.3, META_PLACEABLE).
struct PlaceableHeader {
    static constexpr std::size_t kSize = 22;

    MetafileBox box; // in the metafile's logical units
    std::uint16_t unitsPerInch = 0; // logical units per inch; 0 when the writer left it out
};

// The placeable header at the start of `bytes`; none when the key or the checksum does not match.
std::optional<PlaceableHeader> readPlaceableHeader(std::span<const std::uint8_t> bytes);

} // namespace vantrelle::pictures
