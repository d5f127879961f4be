#include "vantrelle/pictures/Icon.h"

#include "LittleEndian.h"
#include "vantrelle/pictures/Errors.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace vantrelle::pictures {

namespace {

constexpr const char* kInvalidIcon = "Icon image is not valid";
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBitFields = 3;
constexpr std::int64_t kMaxSide = 1024;

// An image of the directory (ICONDIRENTRY) whose bytes lie inside the file.
struct IconImage {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::span<const std::uint8_t> bytes;
};

bool isPng(std::span<const std::uint8_t> bytes)
{
    static constexpr std::uint8_t kPngSignature[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    return bytes.size() >= sizeof kPngSignature && std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) == 0;
}

// The largest image (then the deepest) that is not a PNG; none when the directory lists no such image.
std::optional<IconImage> largestEntry(std::span<const std::uint8_t> data)
{
    std::optional<IconImage> best;
    const std::size_t count = le16(data.data() + 4);
    for (std::size_t i = 0; i < count && kHeaderSize + (i + 1) * kEntrySize <= data.size(); ++i) {
        const std::uint8_t* entry = data.data() + kHeaderSize + i * kEntrySize;
        const std::uint64_t size = le32(entry + 8);
        const std::uint64_t offset = le32(entry + 12);
        if (offset >= data.size())
            continue;
        IconImage image;
        image.width = entry[0] == 0 ? 256 : entry[0];
        image.height = entry[1] == 0 ? 256 : entry[1];
        image.bitCount = le16(entry + 6);
        image.bytes = data.subspan(offset, std::min<std::uint64_t>(size, data.size() - offset));
        if (isPng(image.bytes))
            continue;
        const auto area = [](const IconImage& a) { return a.width * a.height; };
        if (!best || area(image) > area(*best) || (area(image) == area(*best) && image.bitCount > best->bitCount))
            best = image;
    }
    return best;
}

// The colour image of a DIB icon image (its height counts the AND mask too) as a BMP file.
TBitmap readColorImage(std::span<const std::uint8_t> dib, std::size_t headerSize)
{
    std::vector<std::uint8_t> file(14 + dib.size());
    file[0] = 'B';
    file[1] = 'M';
    std::memcpy(file.data() + 14, dib.data(), dib.size());
    std::uint8_t* header = file.data() + 14;
    if (headerSize == kCoreHeaderSize) {
        putLe16(header + 6, le16(header + 6) / 2);
    } else {
        putLe32(header + 8, std::uint32_t(les32(header + 8) / 2));
    }
    TBitmap bitmap;
    Stream stream(file);
    try {
        bitmap.loadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        throw EInvalidGraphic(kInvalidIcon);
    }
    if (bitmap.empty())
        throw EInvalidGraphic(kInvalidIcon);
    return bitmap;
}

// Where the AND mask starts: after the header, the bit-field masks, the palette and the colour rows.
std::uint64_t maskOffset(std::span<const std::uint8_t> dib, std::size_t headerSize, const TBitmap& image)
{
    const int bits = image.bitsPerPixel();
    std::uint64_t offset = headerSize;
    if (headerSize == kCoreHeaderSize) {
        if (bits <= 8)
            offset += 3ull << bits;
    } else {
        if (le32(dib.data() + 16) == kBitFields && headerSize == kInfoHeaderSize)
            offset += 12;
        if (bits <= 8) {
            const std::uint64_t used = le32(dib.data() + 32);
            offset += 4 * (used != 0 && used < (1ull << bits) ? used : 1ull << bits);
        }
    }
    return offset + std::uint64_t(image.rowBytes()) * std::uint64_t(image.height());
}

// Transparent pixels (AND mask bit set, or the alpha of a 32-bit image that has one) become white.
TBitmap whitenTransparentPixels(const TBitmap& image, std::span<const std::uint8_t> dib, std::uint64_t maskAt)
{
    const int width = image.width();
    const int height = image.height();
    const std::size_t maskRow = TBitmap::rowBytesFor(width, 1);
    const bool haveMask = maskAt <= dib.size() && dib.size() - maskAt >= std::uint64_t(maskRow) * height;

    bool haveAlpha = false;
    if (image.bitsPerPixel() == 32)
        for (int y = 0; y < height && !haveAlpha; ++y)
            for (int x = 0; x < width && !haveAlpha; ++x)
                haveAlpha = image.scanLine(y)[4 * x + 3] != 0;

    const auto alphaAt = [&](int x, int y) -> int {
        if (haveAlpha)
            return image.scanLine(y)[4 * x + 3];
        if (!haveMask)
            return 255;
        const std::uint8_t* row = dib.data() + maskAt + std::size_t(height - 1 - y) * maskRow; // bottom-up
        return (row[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
    };

    bool anyTransparent = false;
    for (int y = 0; y < height && !anyTransparent; ++y)
        for (int x = 0; x < width && !anyTransparent; ++x)
            anyTransparent = alphaAt(x, y) != 255;
    if (!anyTransparent)
        return image;

    TBitmap result = image;
    result.setBitsPerPixel(24);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = result.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int alpha = alphaAt(x, y);
            for (int c = 0; c < 3; ++c)
                row[3 * x + c] = std::uint8_t((row[3 * x + c] * alpha + 255 * (255 - alpha) + 127) / 255);
        }
    }
    return result;
}

} // namespace

void TIcon::loadFromStream(Stream& stream)
{
    const auto rest = stream.rest();
    if (rest.size() < kHeaderSize)
        throw EInvalidGraphic(kInvalidIcon);
    const std::uint16_t type = le16(rest.data() + 2);
    if (type != 0 && type != 1)
        throw EInvalidGraphic(kInvalidIcon);
    m_data.assign(rest.begin(), rest.end());
    stream.seek(stream.size());
    const auto largest = largestEntry(m_data);
    m_width = largest ? largest->width : 0;
    m_height = largest ? largest->height : 0;
}

TBitmap TIcon::largestImage() const
{
    if (m_data.size() < kHeaderSize)
        return TBitmap();
    const auto largest = largestEntry(m_data);
    if (!largest || largest->bytes.size() < 4)
        throw EInvalidGraphic(kInvalidIcon);
    const std::span<const std::uint8_t> dib = largest->bytes;
    const std::size_t headerSize = le32(dib.data());
    if ((headerSize != kCoreHeaderSize && headerSize < kInfoHeaderSize) || headerSize > dib.size())
        throw EInvalidGraphic(kInvalidIcon);
    // The directory cannot describe images over 256 pixels a side; a header claiming far more is damaged,
    // and would only make a tiny file ask for a huge bitmap.
    const std::int64_t width
        = headerSize == kCoreHeaderSize ? le16(dib.data() + 4) : std::int32_t(le32(dib.data() + 4));
    const std::int64_t height
        = headerSize == kCoreHeaderSize ? le16(dib.data() + 6) : std::int32_t(le32(dib.data() + 8));
    if (width <= 0 || width > kMaxSide || height == 0 || height / 2 > kMaxSide || height / 2 < -kMaxSide)
        throw EInvalidGraphic(kInvalidIcon);
    const TBitmap image = readColorImage(dib, headerSize);
    return whitenTransparentPixels(image, dib, maskOffset(dib, headerSize, image));
}

} // namespace vantrelle::pictures
