#include "MetafileHeaders.h"

#include "LittleEndian.h"

namespace vantrelle::pictures {

namespace {

constexpr std::size_t kEnhancedMinimumSize = 101;
constexpr std::uint32_t kHeaderRecordType = 1; // EMR_HEADER
constexpr std::uint32_t kEnhancedSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

MetafileBox box32(const std::uint8_t* p)
{
    return { les32(p), les32(p + 4), les32(p + 8), les32(p + 12) };
}

} // namespace

std::optional<EnhancedHeader> readEnhancedHeader(std::span<const std::uint8_t> bytes)
{
    const std::uint8_t* p = bytes.data();
    if (bytes.size() < kEnhancedMinimumSize || le32(p) != kHeaderRecordType || le32(p + 40) != kEnhancedSignature)
        return std::nullopt;
    EnhancedHeader header;
    header.bounds = box32(p + 8);
    header.frame = box32(p + 24);
    header.devicePixelsX = les32(p + 72);
    header.devicePixelsY = les32(p + 76);
    header.deviceMillimetresX = les32(p + 80);
    header.deviceMillimetresY = les32(p + 84);
    return header;
}

std::optional<PlaceableHeader> readPlaceableHeader(std::span<const std::uint8_t> bytes)
{
    const std::uint8_t* p = bytes.data();
    if (bytes.size() < PlaceableHeader::kSize || le32(p) != kPlaceableKey)
        return std::nullopt;
    // The checksum is the exclusive or of the ten 16-bit words before it.
    std::uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= le16(p + 2 * i);
    if (checksum != le16(p + 20))
        return std::nullopt;
    PlaceableHeader header;
    header.box = { les16(p + 6), les16(p + 8), les16(p + 10), les16(p + 12) };
    header.unitsPerInch = le16(p + 14);
    return header;
}

} // namespace vantrelle::pictures
