#include "vantrelle/pictures/Bitmap.h"

#include "LittleEndian.h"
#include "vantrelle/pictures/Errors.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>
#include <utility>

namespace vantrelle::pictures {

namespace {

// Scales a channel taken through a mask of any width to 0..255, rounding to nearest.
std::uint8_t maskedChannel(std::uint32_t pixel, std::uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const std::uint64_t maximum = mask >> shift;
    const std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((value * 255 + maximum / 2) / maximum);
}

int nearestEntry(const std::vector<PaletteEntry>& palette, std::size_t limit, PaletteEntry colour)
{
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < std::min(limit, palette.size()); ++i) {
        const int distance = std::abs(palette[i].red - colour.red) + std::abs(palette[i].green - colour.green)
            + std::abs(palette[i].blue - colour.blue);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

int packedIndex(const std::uint8_t* row, int x, int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1:
        return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4:
        return (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F;
    default:
        return row[x];
    }
}

void storePixel(std::uint8_t* row, int x, int bitsPerPixel, std::uint32_t value)
{
    switch (bitsPerPixel) {
    case 1: {
        const int bit = 7 - x % 8;
        row[x / 8] = static_cast<std::uint8_t>((row[x / 8] & ~(1 << bit)) | ((value & 1) << bit));
        break;
    }
    case 4: {
        const int shift = x % 2 == 0 ? 4 : 0;
        row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & ~(0x0F << shift)) | ((value & 0x0F) << shift));
        break;
    }
    case 8:
        row[x] = static_cast<std::uint8_t>(value);
        break;
    case 16:
        row[2 * x] = static_cast<std::uint8_t>(value);
        row[2 * x + 1] = static_cast<std::uint8_t>(value >> 8);
        break;
    case 24:
        row[3 * x] = static_cast<std::uint8_t>(value);
        row[3 * x + 1] = static_cast<std::uint8_t>(value >> 8);
        row[3 * x + 2] = static_cast<std::uint8_t>(value >> 16);
        break;
    default:
        row[4 * x] = static_cast<std::uint8_t>(value);
        row[4 * x + 1] = static_cast<std::uint8_t>(value >> 8);
        row[4 * x + 2] = static_cast<std::uint8_t>(value >> 16);
        row[4 * x + 3] = 0;
        break;
    }
}

} // namespace

TBitmap::TBitmap(int width, int height, int bitsPerPixel)
{
    setSize(width, height, bitsPerPixel);
}

bool TBitmap::isSupportedDepth(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

std::unique_ptr<TGraphic> TBitmap::clone() const
{
    return std::make_unique<TBitmap>(*this);
}

std::size_t TBitmap::rowBytesFor(int width, int bitsPerPixel)
{
    const std::size_t bits = static_cast<std::size_t>(width < 0 ? 0 : width) * static_cast<std::size_t>(bitsPerPixel);
    return (bits + 31) / 32 * 4;
}

void TBitmap::setSize(int width, int height, int bitsPerPixel)
{
    if (!isSupportedDepth(bitsPerPixel))
        throw EInvalidGraphic("Invalid pixel format");
    if (width < 0 || height < 0)
        throw EInvalidGraphic("Invalid image dimensions");
    if (static_cast<std::int64_t>(width) * height > kMaxPixels)
        throw EInvalidGraphic("Bitmap image is too large");
    // A bitmap without pixels is 0 x 0, so that no loop runs over the rows of a zero-width picture.
    if (width == 0 || height == 0)
        width = height = 0;
    std::vector<std::uint8_t> pixels(rowBytesFor(width, bitsPerPixel) * static_cast<std::size_t>(height));
    m_pixels = std::move(pixels);
    m_width = width;
    m_height = height;
    m_bitsPerPixel = bitsPerPixel;
}

std::uint8_t* TBitmap::scanLine(int y)
{
    return const_cast<std::uint8_t*>(std::as_const(*this).scanLine(y));
}

const std::uint8_t* TBitmap::scanLine(int y) const
{
    if (y < 0 || y >= m_height)
        throw EInvalidGraphic("Scan line index out of range");
    return m_pixels.data() + rowBytes() * static_cast<std::size_t>(y);
}

int TBitmap::pixelIndex(int x, int y) const
{
    const std::uint8_t* row = scanLine(y);
    if (x < 0 || x >= m_width)
        throw EInvalidGraphic("Pixel index out of range");
    return m_bitsPerPixel <= 8 ? packedIndex(row, x, m_bitsPerPixel) : 0;
}

PaletteEntry TBitmap::pixelColor(int x, int y) const
{
    const std::uint8_t* row = scanLine(y);
    if (x < 0 || x >= m_width)
        throw EInvalidGraphic("Pixel index out of range");
    switch (m_bitsPerPixel) {
    case 1:
    case 4:
    case 8: {
        const auto index = static_cast<std::size_t>(packedIndex(row, x, m_bitsPerPixel));
        if (index >= m_palette.size())
            return {};
        PaletteEntry colour = m_palette[index];
        colour.flags = 0;
        return colour;
    }
    case 24:
        return { row[3 * x + 2], row[3 * x + 1], row[3 * x], 0 };
    case 16: {
        const std::uint32_t pixel = le16(row + 2 * x);
        const BitFieldMasks masks
            = m_compression == BitmapCompression::BitFields ? m_masks : BitFieldMasks { 0x7C00, 0x03E0, 0x001F };
        return { maskedChannel(pixel, masks.red), maskedChannel(pixel, masks.green), maskedChannel(pixel, masks.blue),
            0 };
    }
    default: {
        const std::uint32_t pixel = le32(row + 4 * x);
        if (m_compression != BitmapCompression::BitFields)
            return { row[4 * x + 2], row[4 * x + 1], row[4 * x], 0 };
        return { maskedChannel(pixel, m_masks.red), maskedChannel(pixel, m_masks.green),
            maskedChannel(pixel, m_masks.blue), 0 };
    }
    }
}

void TBitmap::setBitsPerPixel(int bitsPerPixel)
{
    if (!isSupportedDepth(bitsPerPixel))
        throw EInvalidGraphic("Invalid pixel format");
    if (bitsPerPixel == m_bitsPerPixel)
        return;
    TBitmap converted(m_width, m_height, bitsPerPixel);
    const std::size_t indexLimit = std::size_t { 1 } << std::min(bitsPerPixel, 8);
    for (int y = 0; y < m_height; ++y) {
        const std::uint8_t* source = scanLine(y);
        std::uint8_t* target = converted.scanLine(y);
        for (int x = 0; x < m_width; ++x) {
            if (bitsPerPixel <= 8) {
                const bool indexed = m_bitsPerPixel <= 8;
                const int index = indexed ? packedIndex(source, x, m_bitsPerPixel) : 0;
                const bool keep = indexed && static_cast<std::size_t>(index) < indexLimit;
                storePixel(
                    target, x, bitsPerPixel, keep ? index : nearestEntry(m_palette, indexLimit, pixelColor(x, y)));
                continue;
            }
            const PaletteEntry colour = pixelColor(x, y);
            const std::uint32_t value = bitsPerPixel == 16
                ? ((colour.red >> 3) << 10) | ((colour.green >> 3) << 5) | (colour.blue >> 3)
                : (colour.red << 16) | (colour.green << 8) | colour.blue;
            storePixel(target, x, bitsPerPixel, value);
        }
    }
    m_pixels = std::move(converted.m_pixels);
    m_bitsPerPixel = bitsPerPixel;
    if (m_compression == BitmapCompression::BitFields)
        m_compression = BitmapCompression::Rgb;
}

void TBitmap::setPalette(std::vector<PaletteEntry> palette)
{
    if (palette.size() > 256)
        palette.resize(256);
    m_palette = std::move(palette);
}

void TBitmap::setResolution(std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter)
{
    m_xPelsPerMeter = xPelsPerMeter;
    m_yPelsPerMeter = yPelsPerMeter;
}

} // namespace vantrelle::pictures
