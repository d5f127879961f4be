#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/Errors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using vantrelle::pictures::BitFieldMasks;
using vantrelle::pictures::BitmapCompression;
using vantrelle::pictures::EInvalidGraphic;
using vantrelle::pictures::PaletteEntry;
using vantrelle::pictures::Stream;
using vantrelle::pictures::TBitmap;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::uint32_t u32At(const Bytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t u16At(const Bytes& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

void putU32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void appendU32(Bytes& b, std::uint32_t v)
{
    b.resize(b.size() + 4);
    putU32(b, b.size() - 4, v);
}

void appendU16(Bytes& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A BMP file with a 40-byte info header, written out field by field (independently of the writer).
Bytes bmpFile(std::int32_t width, std::int32_t height, std::uint16_t bitsPerPixel, std::uint32_t compression,
    const std::vector<PaletteEntry>& palette, const Bytes& pixels, std::uint32_t imageSize = 0)
{
    Bytes b { 'B', 'M' };
    appendU32(b, 0);
    appendU32(b, 0);
    appendU32(b, 0x12345678); // the pixel offset is never used
    appendU32(b, 40);
    appendU32(b, static_cast<std::uint32_t>(width));
    appendU32(b, static_cast<std::uint32_t>(height));
    appendU16(b, 1);
    appendU16(b, bitsPerPixel);
    appendU32(b, compression);
    appendU32(b, imageSize);
    appendU32(b, 2835);
    appendU32(b, 2835);
    appendU32(b, static_cast<std::uint32_t>(palette.size()));
    appendU32(b, 0);
    for (const PaletteEntry& e : palette)
        b.insert(b.end(), { e.blue, e.green, e.red, 0 });
    b.insert(b.end(), pixels.begin(), pixels.end());
    putU32(b, 2, static_cast<std::uint32_t>(b.size()));
    return b;
}

TBitmap load(const Bytes& bytes)
{
    TBitmap bitmap;
    Stream stream(bytes);
    bitmap.loadFromStream(stream);
    return bitmap;
}

std::string loadError(const Bytes& bytes)
{
    try {
        load(bytes);
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    return "(loaded)";
}

std::vector<PaletteEntry> greyPalette(int entries)
{
    std::vector<PaletteEntry> palette;
    for (int i = 0; i < entries; ++i) {
        const auto v = static_cast<std::uint8_t>(entries == 1 ? 0 : i * 255 / (entries - 1));
        palette.push_back({ v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(i), 0 });
    }
    return palette;
}

// The pixel rows of a bitmap as the colours they show, row by row.
std::vector<std::vector<PaletteEntry>> colours(const TBitmap& bitmap)
{
    std::vector<std::vector<PaletteEntry>> rows(bitmap.height());
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            rows[y].push_back(bitmap.pixelColor(x, y));
    return rows;
}

// ---- Writing and reading back ----

struct DepthCase {
    int bitsPerPixel;
    BitmapCompression compression;
    BitFieldMasks masks;
    std::uint32_t colorsUsed;
    std::size_t paletteSize;
    std::size_t headerAndPalette; // header, masks and palette bytes in the file
};

class RoundTrip : public ::testing::TestWithParam<DepthCase> { };

TEST_P(RoundTrip, WritesTheLayoutAndReadsBackEveryPixel)
{
    const DepthCase& c = GetParam();
    TBitmap bitmap(13, 5, c.bitsPerPixel); // odd width: every depth needs row padding
    bitmap.setPalette(greyPalette(static_cast<int>(c.paletteSize)));
    bitmap.setColorsUsed(c.colorsUsed);
    bitmap.setCompression(c.compression);
    bitmap.setMasks(c.masks);
    bitmap.setResolution(3780, -1);
    bitmap.setColorsImportant(7);
    const std::size_t used = (13 * static_cast<std::size_t>(c.bitsPerPixel) + 7) / 8;
    for (int y = 0; y < 5; ++y)
        for (std::size_t i = 0; i < used; ++i)
            bitmap.scanLine(y)[i] = static_cast<std::uint8_t>(y * 31 + i * 7 + 1);

    const Bytes bytes = bitmap.saveToBytes();
    const std::size_t imageSize = bitmap.rowBytes() * 5;
    ASSERT_EQ(14 + c.headerAndPalette + imageSize, bytes.size());
    EXPECT_EQ(bytes.size(), u32At(bytes, 2));
    EXPECT_EQ(14 + c.headerAndPalette, u32At(bytes, 10));
    EXPECT_EQ(40u, u32At(bytes, 14));
    EXPECT_EQ(c.bitsPerPixel, u16At(bytes, 28));
    EXPECT_EQ(static_cast<std::uint32_t>(c.compression), u32At(bytes, 30));
    EXPECT_EQ(imageSize, u32At(bytes, 34));
    EXPECT_EQ(
        (c.headerAndPalette - 40 - (c.compression == BitmapCompression::BitFields ? 12 : 0)) / 4, u32At(bytes, 46));
    EXPECT_EQ(7u, u32At(bytes, 50));
    // The bottom row comes first.
    EXPECT_EQ(bitmap.scanLine(4)[0], bytes[14 + c.headerAndPalette]);

    const TBitmap back = load(bytes);
    EXPECT_EQ(13, back.width());
    EXPECT_EQ(5, back.height());
    EXPECT_EQ(c.bitsPerPixel, back.bitsPerPixel());
    EXPECT_EQ(c.compression, back.compression());
    EXPECT_EQ(c.masks, back.masks());
    EXPECT_EQ(3780, back.xPelsPerMeter());
    EXPECT_EQ(-1, back.yPelsPerMeter());
    EXPECT_EQ(7u, back.colorsImportant());
    EXPECT_EQ(colours(bitmap), colours(back));
    EXPECT_EQ(bytes, back.saveToBytes());
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, RoundTrip,
    ::testing::Values(DepthCase { 1, BitmapCompression::Rgb, {}, 0, 2, 40 + 8 },
        DepthCase { 4, BitmapCompression::Rgb, {}, 0, 16, 40 + 64 },
        DepthCase { 4, BitmapCompression::Rgb, {}, 5, 5, 40 + 20 },
        DepthCase { 8, BitmapCompression::Rgb, {}, 0, 256, 40 + 1024 },
        DepthCase { 8, BitmapCompression::Rgb, {}, 0, 20, 40 + 1024 }, // unset entries written as zeros
        DepthCase { 8, BitmapCompression::Rgb, {}, 100, 100, 40 + 400 },
        DepthCase { 16, BitmapCompression::Rgb, {}, 0, 0, 40 },
        DepthCase { 16, BitmapCompression::BitFields, { 0xF800, 0x07E0, 0x001F }, 0, 0, 52 },
        DepthCase { 24, BitmapCompression::Rgb, {}, 0, 0, 40 },
        DepthCase { 24, BitmapCompression::Rgb, {}, 0, 3, 40 + 12 }, // a palette of its own
        DepthCase { 32, BitmapCompression::Rgb, {}, 0, 0, 40 },
        DepthCase { 32, BitmapCompression::BitFields, { 0xFF, 0xFF00, 0xFF0000 }, 0, 2, 52 + 8 }));

TEST(BitmapWrite, PlaceholderCoverIs11198Bytes)
{
    TBitmap cover(90, 110, 8);
    std::vector<PaletteEntry> palette = greyPalette(256);
    palette[1] = { 10, 20, 30, 0 };
    cover.setPalette(palette);
    cover.scanLine(109)[0] = 200; // bottom-left pixel
    cover.scanLine(0)[89] = 17; // top-right pixel
    const Bytes bytes = cover.saveToBytes();

    ASSERT_EQ(11198u, bytes.size());
    EXPECT_EQ('B', bytes[0]);
    EXPECT_EQ('M', bytes[1]);
    const std::vector<std::pair<std::size_t, std::uint32_t>> fields { { 2, 11198 }, { 6, 0 }, { 10, 1078 }, { 14, 40 },
        { 18, 90 }, { 22, 110 }, { 30, 0 }, { 34, 10120 }, { 38, 0 }, { 42, 0 }, { 46, 256 }, { 50, 0 } };
    for (const auto& [offset, value] : fields)
        EXPECT_EQ(value, u32At(bytes, offset)) << "offset " << offset;
    EXPECT_EQ(1, u16At(bytes, 26));
    EXPECT_EQ(8, u16At(bytes, 28));
    // Palette entry 1 is stored blue, green, red, 0.
    EXPECT_EQ((Bytes { 30, 20, 10, 0 }), Bytes(bytes.begin() + 58, bytes.begin() + 62));
    EXPECT_EQ(200, bytes[1078]);
    EXPECT_EQ(17, bytes[1078 + 109 * 92 + 89]);
    EXPECT_EQ((Bytes { 0, 0 }), Bytes(bytes.begin() + 1078 + 90, bytes.begin() + 1078 + 92));
}

TEST(BitmapWrite, EmptyBitmapWritesNothingAndRowPaddingIsZero)
{
    EXPECT_TRUE(TBitmap().saveToBytes().empty());
    EXPECT_TRUE(TBitmap(0, 7, 8).saveToBytes().empty());

    TBitmap bitmap(1, 1, 8);
    bitmap.scanLine(0)[0] = 9;
    bitmap.scanLine(0)[3] = 0xEE; // junk in the padding is not written
    const Bytes bytes = bitmap.saveToBytes();
    EXPECT_EQ((Bytes { 9, 0, 0, 0 }), Bytes(bytes.end() - 4, bytes.end()));
}

// ---- Reading ----

TEST(BitmapRead, EmptyStreamGivesAnEmptyBitmap)
{
    TBitmap bitmap(4, 4, 8);
    Bytes none;
    Stream stream(none);
    bitmap.loadFromStream(stream);
    EXPECT_TRUE(bitmap.empty());
    EXPECT_EQ(0, bitmap.width());

    // A picture without pixels, however tall, is read as 0 x 0 at once.
    const TBitmap zeroWidth = load(bmpFile(0, -0x38FFFFFE, 16, 0, {}, {}));
    EXPECT_TRUE(zeroWidth.empty());
    EXPECT_EQ(0, zeroWidth.height());
}

TEST(BitmapRead, GraphicHeaderIsSkippedOnlyWhenItMatches)
{
    const Bytes file = bmpFile(2, 1, 24, 0, {}, { 1, 2, 3, 4, 5, 6, 0, 0 });
    auto prefixed = [&](std::uint16_t count, std::uint16_t type, std::uint32_t size) {
        Bytes b;
        appendU16(b, count);
        appendU16(b, type);
        appendU32(b, size);
        b.insert(b.end(), file.begin(), file.end());
        return b;
    };
    const auto size = static_cast<std::uint32_t>(file.size());
    EXPECT_EQ(file.size(), TBitmap::stripGraphicHeader(prefixed(1, 0x0100, size)).size());
    for (const Bytes& notAHeader : { prefixed(1, 0x0100, size + 1), prefixed(2, 0x0100, size),
             prefixed(1, 0x0101, size), Bytes { 1, 0, 0, 1, 0, 0, 0 } }) {
        EXPECT_EQ(notAHeader.size(), TBitmap::stripGraphicHeader(notAHeader).size());
    }

    TBitmap bitmap;
    bitmap.loadFromBlob(prefixed(1, 0x0100, size));
    EXPECT_EQ((PaletteEntry { 6, 5, 4, 0 }), bitmap.pixelColor(1, 0));
    EXPECT_THROW(bitmap.loadFromBlob(prefixed(1, 0x0100, size - 1)), EInvalidGraphic);

    const Bytes headerOnly { 1, 0, 0, 1, 0, 0, 0, 0 }; // count 1, type 0x0100, size 0
    bitmap.loadFromBlob(headerOnly);
    EXPECT_TRUE(bitmap.empty());
}

TEST(BitmapRead, MalformedFilesFailWithAClearMessage)
{
    const Bytes good = bmpFile(3, 2, 8, 0, greyPalette(4), Bytes(8, 1));
    ASSERT_EQ("(loaded)", loadError(good));
    auto with = [&](auto change) {
        Bytes b = good;
        change(b);
        return b;
    };
    const std::string invalid = "Bitmap image is not valid";
    const struct {
        const char* name;
        Bytes bytes;
        std::string message;
    } cases[] = {
        { "not BM", with([](Bytes& b) { b[1] = 'A'; }), invalid },
        { "shorter than the file header", Bytes { 'B', 'M', 0, 0 }, invalid },
        { "info header cut", Bytes(good.begin(), good.begin() + 30), invalid },
        { "header size 20", with([](Bytes& b) { putU32(b, 14, 20); }), invalid },
        { "header size past the end", with([](Bytes& b) { putU32(b, 14, 0xFFFFFFF0); }), invalid },
        { "planes 2", with([](Bytes& b) { b[26] = 2; }), invalid },
        { "2 bits per pixel", with([](Bytes& b) { b[28] = 2; }), invalid },
        { "64 bits per pixel", with([](Bytes& b) { b[28] = 64; }), invalid },
        { "JPEG compression", with([](Bytes& b) { putU32(b, 30, 4); }), invalid },
        { "RLE4 at 8 bits", with([](Bytes& b) { putU32(b, 30, 2); }), invalid },
        { "bit fields at 8 bits", with([](Bytes& b) { putU32(b, 30, 3); }), invalid },
        { "negative width", with([](Bytes& b) { putU32(b, 18, 0xFFFFFFFD); }), invalid },
        { "RLE top-down", with([](Bytes& b) { putU32(b, 30, 1), putU32(b, 22, 0xFFFFFFFE); }), invalid },
        { "palette cut", with([](Bytes& b) { putU32(b, 46, 0x40000000); }), invalid },
        { "too large", with([](Bytes& b) { putU32(b, 18, 0x10000), putU32(b, 22, 0x10000); }),
            "Bitmap image is too large" },
        { "too large top-down", with([](Bytes& b) { putU32(b, 18, 0x7FFFFFFF), putU32(b, 22, 0x80000000); }),
            "Bitmap image is too large" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.message, loadError(c.bytes)) << c.name;

    TBitmap kept(5, 6, 24);
    Stream stream(cases[0].bytes);
    EXPECT_THROW(kept.loadFromStream(stream), EInvalidGraphic);
    EXPECT_EQ(5, kept.width());
    EXPECT_EQ(0u, stream.position());
}

TEST(BitmapRead, LayoutVariants)
{
    // 12-byte OS/2 header with 3-byte palette entries, a 2 x 2 picture at 8 bits.
    Bytes os2 { 'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 };
    appendU32(os2, 12);
    appendU16(os2, 2);
    appendU16(os2, 2);
    appendU16(os2, 1);
    appendU16(os2, 1);
    os2.insert(os2.end(), { 10, 20, 30, 40, 50, 60 });
    os2.insert(os2.end(), { 0x80, 0, 0, 0, 0x40, 0, 0, 0 }); // bottom row, then top row
    const TBitmap old = load(os2);
    EXPECT_EQ(1, old.bitsPerPixel());
    EXPECT_EQ((PaletteEntry { 30, 20, 10, 0 }), old.pixelColor(0, 0));
    EXPECT_EQ((PaletteEntry { 60, 50, 40, 0 }), old.pixelColor(1, 0));
    EXPECT_EQ((PaletteEntry { 60, 50, 40, 0 }), old.pixelColor(0, 1));
    EXPECT_EQ((PaletteEntry { 30, 20, 10, 0 }), old.pixelColor(1, 1));

    // Top-down rows (negative height).
    const TBitmap topDown = load(bmpFile(1, -2, 8, 0, greyPalette(2), { 1, 0, 0, 0, 0, 0, 0, 0 }));
    EXPECT_EQ(2, topDown.height());
    EXPECT_EQ(1, topDown.scanLine(0)[0]);

    // Pixel data shorter than promised: the missing (top) rows stay 0. The image size bounds the read.
    const TBitmap shortData = load(bmpFile(1, 3, 8, 0, greyPalette(2), { 1, 0, 0, 0, 1 }));
    EXPECT_EQ((std::vector<int> { 0, 1, 1 }),
        (std::vector<int> { shortData.scanLine(0)[0], shortData.scanLine(1)[0], shortData.scanLine(2)[0] }));
    const TBitmap sized = load(bmpFile(1, 2, 8, 0, greyPalette(2), { 1, 0, 0, 0, 1, 0, 0, 0 }, 4));
    EXPECT_EQ(0, sized.scanLine(0)[0]);

    // Masks after a 40-byte header; more than 256 colours used is cut to the depth's table.
    Bytes masked = bmpFile(1, 1, 16, 3, {}, {});
    for (std::uint32_t mask : { 0xF800u, 0x07E0u, 0x001Fu })
        appendU32(masked, mask);
    masked.insert(masked.end(), { 0x1F, 0xF8, 0, 0 });
    EXPECT_EQ((PaletteEntry { 255, 0, 255, 0 }), load(masked).pixelColor(0, 0));
    const TBitmap oversized = load(bmpFile(1, 1, 1, 0, greyPalette(300), { 1, 0, 0, 0 }));
    EXPECT_EQ(2u, oversized.palette().size());
    EXPECT_EQ(2u, oversized.colorsUsed());
}

Bytes rle(int width, int height, int bitsPerPixel, const Bytes& data)
{
    return bmpFile(width, height, static_cast<std::uint16_t>(bitsPerPixel), bitsPerPixel == 8 ? 1 : 2, greyPalette(16),
        data, static_cast<std::uint32_t>(data.size()));
}

std::vector<std::vector<int>> indices(const TBitmap& bitmap)
{
    std::vector<std::vector<int>> rows(bitmap.height());
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            rows[y].push_back(bitmap.bitsPerPixel() == 8 ? bitmap.scanLine(y)[x]
                                                         : (bitmap.scanLine(y)[x / 2] >> (x % 2 ? 0 : 4)) & 15);
    return rows;
}

TEST(BitmapRead, RunLengthEncodedPixels)
{
    // Bottom row: a run of 2 and an absolute block of 3 (padded); delta (+1, +1) skips a row; then a
    // run of 1 in the top row and the end of the bitmap.
    const Bytes rle8 { 2, 7, 0, 3, 4, 5, 6, 0, 0, 0, 0, 2, 1, 1, 1, 9, 0, 1 };
    const TBitmap eight = load(rle(5, 3, 8, rle8));
    EXPECT_EQ(BitmapCompression::Rgb, eight.compression());
    EXPECT_EQ(
        (std::vector<std::vector<int>> { { 0, 9, 0, 0, 0 }, { 0, 0, 0, 0, 0 }, { 7, 7, 4, 5, 6 } }), indices(eight));

    // RLE4: a run alternates the two nibbles; an absolute block of 3 nibbles takes 2 bytes.
    const Bytes rle4 { 3, 0x12, 0, 3, 0x34, 0x50, 0, 0, 2, 0xAB, 0, 1 };
    EXPECT_EQ((std::vector<std::vector<int>> { { 10, 11, 0, 0, 0, 0 }, { 1, 2, 1, 3, 4, 5 } }),
        indices(load(rle(6, 2, 4, rle4))));

    // Data that stop without an end marker leave the rest 0.
    EXPECT_EQ((std::vector<std::vector<int>> { { 0, 0 }, { 3, 0 } }), indices(load(rle(2, 2, 8, { 1, 3, 0 }))));

    // Runs and absolute blocks past the right edge are cut there: some encoders code the row padding as pixels.
    EXPECT_EQ((std::vector<std::vector<int>> { { 0, 0 }, { 1, 1 } }), indices(load(rle(2, 2, 8, { 3, 1, 0, 1 }))));
    EXPECT_EQ((std::vector<std::vector<int>> { { 0, 0 }, { 1, 2 } }),
        indices(load(rle(2, 2, 8, { 0, 3, 1, 2, 3, 0, 0, 1 }))));

    const struct {
        const char* name;
        Bytes data;
    } overruns[] = {
        { "delta past the right edge", { 0, 2, 3, 0, 1, 1 } },
        { "delta past the top", { 0, 2, 0, 3 } },
        { "run above the last row", { 0, 0, 0, 0, 1, 1 } },
    };
    for (const auto& c : overruns)
        EXPECT_EQ("Bitmap image is not valid", loadError(rle(2, 2, 8, c.data))) << c.name;
}

// ---- Pixel access and conversion ----

TEST(Bitmap, ConvertsBetweenDepthsKeepingColours)
{
    TBitmap bitmap(3, 1, 4);
    bitmap.setPalette({ { 255, 0, 0, 0 }, { 0, 255, 0, 0 }, { 10, 20, 30, 0 } });
    bitmap.scanLine(0)[0] = 0x21;
    bitmap.scanLine(0)[1] = 0x00;
    bitmap.setBitsPerPixel(24);
    EXPECT_EQ(
        (std::vector<PaletteEntry> { { 10, 20, 30, 0 }, { 0, 255, 0, 0 }, { 255, 0, 0, 0 } }), colours(bitmap)[0]);
    bitmap.setBitsPerPixel(16);
    EXPECT_EQ((PaletteEntry { 8, 16, 25, 0 }), bitmap.pixelColor(0, 0));
    bitmap.setBitsPerPixel(24);
    bitmap.setBitsPerPixel(8); // nearest palette entry
    EXPECT_EQ((std::vector<int> { 2, 1, 0 }),
        (std::vector<int> { bitmap.scanLine(0)[0], bitmap.scanLine(0)[1], bitmap.scanLine(0)[2] }));
    EXPECT_THROW(bitmap.setBitsPerPixel(2), EInvalidGraphic);
    EXPECT_THROW(bitmap.scanLine(1), EInvalidGraphic);
    EXPECT_THROW(TBitmap(1 << 14, 1 << 14, 8), EInvalidGraphic);
}

} // namespace
