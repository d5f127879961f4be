#pragma once

// An in-memory device-independent bitmap and its BMP file codec.
//
// Limitations: bitmaps hold 1, 4, 8, 16, 24 or 32 bits per pixel. The reader accepts the BMP
// info headers of 12 bytes (OS/2 1.x), 40 bytes and longer (the extra fields of V4/V5 headers are
// skipped, their colour masks used), uncompressed, bit-field and RLE4/RLE8 pixel data. It refuses
// other depths, JPEG/PNG/Huffman/RLE24 payloads, more than kMaxPixels pixels (so a tiny file cannot
// demand a huge allocation) and anything truncated before the pixel data. Pixel data shorter than
// the header promises is accepted; the missing pixels stay 0.

#include "vantrelle/pictures/Graphic.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantrelle::pictures {

// One colour of a palette (a logical palette entry: red, green, blue, flags).
struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;

    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// The colour masks of 16- and 32-bit pixels whose compression is BitFields.
struct BitFieldMasks {
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;

    friend bool operator==(const BitFieldMasks&, const BitFieldMasks&) = default;
};

// The values of the BMP compression field. Pixels in memory are never run-length encoded:
// RLE data are decoded on reading and the bitmap then holds Rgb.
enum class BitmapCompression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

class TBitmap : public TGraphic {
public:
    // Width x height above this is refused on reading and on creation ("Bitmap image is too large").
    static constexpr std::int64_t kMaxPixels = std::int64_t { 1 } << 26;

    // An empty bitmap (0 x 0, 24 bits per pixel, no palette).
    TBitmap() = default;
    // A bitmap of the given size and depth with every pixel 0 and no palette.
    TBitmap(int width, int height, int bitsPerPixel);

    TBitmap(const TBitmap&) = default;
    TBitmap& operator=(const TBitmap&) = default;
    TBitmap(TBitmap&&) noexcept = default;
    TBitmap& operator=(TBitmap&&) noexcept = default;

    static bool isSupportedDepth(int bitsPerPixel);

    const char* className() const override { return "TBitmap"; }
    bool empty() const override { return m_width == 0 || m_height == 0; }
    int width() const override { return m_width; }
    int height() const override { return m_height; }
    std::unique_ptr<TGraphic> clone() const override;

    // Gives the bitmap a new size and depth; every pixel becomes 0. A width or height of 0 gives
    // 0 x 0. The palette, masks and the other fields stay. Throws EInvalidGraphic for an unsupported
    // depth, a negative size or more than kMaxPixels pixels.
    void setSize(int width, int height, int bitsPerPixel);
    // Converts the pixels in place to another depth (as a device-independent bitmap section
    // would): to 16, 24 or 32 bits each pixel keeps its colour; to 1, 4 or 8 bits each pixel takes
    // the nearest palette entry among the first 2^depth (the palette is kept).
    void setBitsPerPixel(int bitsPerPixel);

    int bitsPerPixel() const { return m_bitsPerPixel; }
    // Bytes of one stored row: the row's bits rounded up to a multiple of 4 bytes, as in a BMP file.
    std::size_t rowBytes() const { return rowBytesFor(m_width, m_bitsPerPixel); }
    static std::size_t rowBytesFor(int width, int bitsPerPixel);

    // Row y, 0 being the top row; rowBytes() bytes. Pixels of 1 and 4 bits are packed most
    // significant first; 16-bit pixels are little-endian words; 24-bit pixels are blue, green, red;
    // 32-bit pixels blue, green, red, unused. Throws EInvalidGraphic when y is out of range.
    std::uint8_t* scanLine(int y);
    const std::uint8_t* scanLine(int y) const;
    // All rows, top row first.
    std::span<std::uint8_t> pixels() { return m_pixels; }
    std::span<const std::uint8_t> pixels() const { return m_pixels; }

    // The colour of a pixel (flags 0): through the palette for 1-8 bits (black for an index past
    // its end), through the masks for 16 and 32 bits (the default 5-5-5 / 8-8-8 layout unless the
    // compression is BitFields).
    PaletteEntry pixelColor(int x, int y) const;

    // The palette index of a pixel of 1, 4 or 8 bits; 0 for deeper pixels.
    int pixelIndex(int x, int y) const;

    // At most 256 entries; longer palettes are cut.
    const std::vector<PaletteEntry>& palette() const { return m_palette; }
    void setPalette(std::vector<PaletteEntry> palette);

    BitmapCompression compression() const { return m_compression; }
    void setCompression(BitmapCompression compression) { m_compression = compression; }
    BitFieldMasks masks() const { return m_masks; }
    void setMasks(BitFieldMasks masks) { m_masks = masks; }

    // Header fields as held by the bitmap; 0 for a bitmap made in memory.
    std::int32_t xPelsPerMeter() const { return m_xPelsPerMeter; }
    std::int32_t yPelsPerMeter() const { return m_yPelsPerMeter; }
    void setResolution(std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter);
    std::uint32_t colorsUsed() const { return m_colorsUsed; }
    void setColorsUsed(std::uint32_t colorsUsed) { m_colorsUsed = colorsUsed; }
    std::uint32_t colorsImportant() const { return m_colorsImportant; }
    void setColorsImportant(std::uint32_t colorsImportant) { m_colorsImportant = colorsImportant; }

    // Reads a BMP file from the stream's position to its end. An empty rest gives an empty bitmap;
    // "Bitmap image is not valid" (or "Bitmap image is too large") for anything it cannot read.
    // On failure the bitmap is unchanged.
    void loadFromStream(Stream& stream) override;
    // Reads a stored cover value: an optional 8-byte graphic header, then a BMP file. A value that is only
    // the graphic header (its size 0) reads as an empty bitmap, without an error.
    void loadFromBlob(std::span<const std::uint8_t> value);
    // The value without its 8-byte graphic header (count 1, type 0x0100, size = length - 8) when
    // it has one, else the value itself.
    static std::span<const std::uint8_t> stripGraphicHeader(std::span<const std::uint8_t> value);

    // The BMP file bytes of the bitmap (a 14-byte file header, a 40-byte info header, the masks
    // for BitFields, the palette, the rows bottom row first). Empty for an empty bitmap.
    std::vector<std::uint8_t> saveToBytes() const;
    // Writes saveToBytes() to a file; "Cannot create file %s" when it cannot be written.
    void saveToFile(const std::string& fileName) const;

private:
    int m_width = 0;
    int m_height = 0;
    int m_bitsPerPixel = 24;
    std::vector<std::uint8_t> m_pixels;
    std::vector<PaletteEntry> m_palette;
    BitmapCompression m_compression = BitmapCompression::Rgb;
    BitFieldMasks m_masks;
    std::int32_t m_xPelsPerMeter = 0;
    std::int32_t m_yPelsPerMeter = 0;
    std::uint32_t m_colorsUsed = 0;
    std::uint32_t m_colorsImportant = 0;
};

} // namespace vantrelle::pictures
