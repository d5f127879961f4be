#include "vantrelle/pictures/ColorReduction.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/GIFImage.h"
#include "vantrelle/pictures/JPEGImage.h"
#include "vantrelle/pictures/OleGraphic.h"
#include "vantrelle/pictures/Picture.h"

#include "JpegEncoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantrelle::pictures;

namespace {

TBitmap gradient(int width, int height, int bitsPerPixel)
{
    TBitmap bitmap(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 3 * width; ++x)
            bitmap.scanLine(y)[x] = static_cast<std::uint8_t>(x * 29 + y * 71);
    bitmap.setBitsPerPixel(bitsPerPixel);
    return bitmap;
}

std::vector<PaletteEntry> colours(const TBitmap& bitmap)
{
    std::vector<PaletteEntry> all;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            all.push_back(bitmap.pixelColor(x, y));
    return all;
}

std::vector<std::uint8_t> reducedBytes(TBitmap source)
{
    return ReduceToPaletteBitmap(source, TReductionMode::OptimalWithSystemColors, TDitherKind::NearestColor)
        ->saveToBytes();
}

// A GIF image made in memory: a 4 x 3 screen with a global table and frames given by the test.
TGIFGraphic gifImage()
{
    TGIFGraphic gif;
    gif.header().width = 4;
    gif.header().height = 3;
    gif.header().globalColorTable = { { 255, 0, 0 }, { 0, 255, 0 }, { 0, 0, 255 }, { 9, 9, 9 } };
    return gif;
}

TGIFFrame& addFrame(TGIFGraphic& gif, int left, int top, int width, int height, std::vector<std::uint8_t> pixels)
{
    auto frame = std::make_unique<TGIFFrame>(gif);
    frame->left = static_cast<std::uint16_t>(left);
    frame->top = static_cast<std::uint16_t>(top);
    frame->width = static_cast<std::uint16_t>(width);
    frame->height = static_cast<std::uint16_t>(height);
    frame->pixels = std::move(pixels);
    return gif.addFrame(std::move(frame));
}

class Strange : public TOleGraphic {
public:
    const char* className() const override { return "TStrange"; }
    bool empty() const override { return false; }
};

// ---- Assigning pictures ----

TEST(GIFConverter, TrueColourBitmapsBecomeOneReducedFrame)
{
    for (const int depth : { 16, 24, 32 }) {
        const TBitmap source = gradient(7, 5, depth);
        TGIFGraphic gif;
        gif.Assign(&source);

        ASSERT_EQ(1u, gif.frames().size()) << depth;
        EXPECT_EQ(7, gif.width());
        EXPECT_EQ(5, gif.height());
        EXPECT_EQ(depth, source.bitsPerPixel()); // the caller's picture is not converted
        const TBitmap* bitmap = gif.Bitmap();
        ASSERT_NE(nullptr, bitmap);
        EXPECT_EQ(reducedBytes(source), bitmap->saveToBytes()) << depth;

        const TGIFFrame& frame = *gif.frames()[0];
        ASSERT_EQ(256u, frame.colorTable.size());
        EXPECT_EQ(bitmap->palette()[11].red, frame.colorTable[11].red);
        ASSERT_EQ(35u, frame.pixels.size());
        EXPECT_EQ(bitmap->scanLine(4)[6], frame.pixels[34]);
    }
}

TEST(GIFConverter, PaletteBitmapsKeepTheirOwnColours)
{
    for (const int depth : { 1, 4, 8 }) {
        TBitmap source(5, 2, depth);
        std::vector<PaletteEntry> palette;
        for (int i = 0; i < (1 << depth) && i < 20; ++i)
            palette.push_back({ static_cast<std::uint8_t>(i * 10), 7, static_cast<std::uint8_t>(200 - i), 0 });
        source.setPalette(palette);
        source.scanLine(0)[0] = 0x80 | (depth > 1 ? 0x10 : 0); // pixel 0 (and pixel 1 at 4 bits) set
        source.scanLine(1)[0] = 1;

        TGIFGraphic gif;
        gif.Assign(&source);
        const TGIFFrame& frame = *gif.frames()[0];
        ASSERT_EQ(palette.size(), frame.colorTable.size()) << depth;
        EXPECT_EQ(palette[1].red, frame.colorTable[1].red);
        const std::vector<std::uint8_t> expectedTop = depth == 1 ? std::vector<std::uint8_t> { 1, 0, 0, 0, 0 }
            : depth == 4                                         ? std::vector<std::uint8_t> { 9, 0, 0, 0, 0 }
                                                                 : std::vector<std::uint8_t> { 0x90, 0, 0, 0, 0 };
        EXPECT_EQ(expectedTop, std::vector<std::uint8_t>(frame.pixels.begin(), frame.pixels.begin() + 5)) << depth;
        EXPECT_EQ(source.saveToBytes(), gif.Bitmap()->saveToBytes()) << depth;
    }
}

TEST(GIFConverter, JpegPicturesGiveTheirDecodedBitmap)
{
    TJPEGImage jpeg;
    const auto bytes = vantrelle::test::encodeJpeg({ 16, 8, JCS_RGB, false, true }, { 200, 100, 50 });
    Stream stream(bytes);
    jpeg.loadFromStream(stream);

    TPicture picture;
    picture.setGraphic(jpeg.clone());
    TGIFGraphic gif;
    gif.Assign(picture);
    ASSERT_EQ(1u, gif.frames().size());
    EXPECT_EQ(reducedBytes(jpeg.Bitmap()), gif.Bitmap()->saveToBytes());

    // Damaged image data (a second start-of-image marker after the scan): the decoder's error, and the
    // image is left cleared.
    std::vector<std::uint8_t> damaged(bytes.begin(), bytes.end() - 2);
    damaged.insert(damaged.end(), { 0xFF, 0xD8, 0xFF, 0xD9 });
    TJPEGImage broken;
    Stream brokenStream(damaged);
    broken.loadFromStream(brokenStream);
    EXPECT_THROW(gif.Assign(&broken), EJPEG);
    EXPECT_TRUE(gif.empty());
    EXPECT_EQ(0, gif.width());
}

TEST(GIFConverter, EmptyAndUnconvertiblePictures)
{
    TGIFGraphic gif;
    const TBitmap three = gradient(3, 3, 24);
    gif.Assign(&three);

    // An empty picture leaves one empty frame; its Bitmap is empty, not null.
    const TOleGraphic empty;
    gif.Assign(&empty);
    ASSERT_EQ(1u, gif.frames().size());
    EXPECT_TRUE(gif.frames()[0]->empty());
    ASSERT_NE(nullptr, gif.Bitmap());
    EXPECT_TRUE(gif.Bitmap()->empty());
    const TPicture nothing;
    gif.Assign(nothing);
    EXPECT_EQ(1u, gif.frames().size());

    gif.Assign(&three);
    const Strange strange;
    try {
        gif.Assign(&strange);
        ADD_FAILURE() << "assigned a TStrange";
    } catch (const EConvertError& e) {
        EXPECT_STREQ("Cannot assign a TStrange to a TGIFGraphic", e.what());
    }
    EXPECT_TRUE(gif.empty());
    EXPECT_EQ(0, gif.width());
    EXPECT_EQ(nullptr, gif.Bitmap());

    TBitmap tooWide(70000, 1, 24);
    EXPECT_THROW(gif.Assign(&tooWide), EInvalidGraphic);
    EXPECT_TRUE(gif.empty());

    gif.Assign(&three);
    gif.Assign(&gif); // itself: nothing happens
    EXPECT_EQ(1u, gif.frames().size());
    gif.Assign(static_cast<const TGraphic*>(nullptr));
    EXPECT_TRUE(gif.empty());
    EXPECT_EQ(0, gif.height());
}

TEST(GIFConverter, AnotherGifIsCopiedWithoutReduction)
{
    TGIFGraphic source = gifImage();
    addFrame(source, 0, 0, 4, 3, std::vector<std::uint8_t>(12, 2)).transparent = true;
    addFrame(source, 1, 1, 1, 1, { 3 });
    source.setDrawOptions(kGIFDither);

    TGIFGraphic gif;
    gif.setDrawOptions(0);
    const TBitmap other = gradient(2, 2, 24);
    gif.Assign(&other);
    gif.Assign(&source);
    ASSERT_EQ(2u, gif.frames().size());
    EXPECT_EQ(source.header().globalColorTable, gif.header().globalColorTable);
    EXPECT_EQ(source.frames()[0]->pixels, gif.frames()[0]->pixels);
    EXPECT_TRUE(gif.frames()[0]->transparent);
    EXPECT_EQ(std::uint32_t { kGIFDither }, gif.drawOptions());
    EXPECT_EQ(&gif, &gif.frames()[1]->image());
    EXPECT_EQ((PaletteEntry { 0, 0, 255, 0 }), gif.Bitmap()->pixelColor(3, 2));
}

// ---- The image's bitmap ----

TEST(GIFConverter, BitmapShowsFrameZeroOnTheLogicalScreen)
{
    TGIFGraphic gif = gifImage();
    EXPECT_EQ(nullptr, gif.Bitmap());

    // Frame 0 covers the screen: its indices with the global table, transparent pixels included.
    TGIFFrame& first = addFrame(gif, 0, 0, 4, 3, { 0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 0, 0 });
    first.transparent = true;
    first.transparentIndex = 3;
    const TBitmap* bitmap = gif.Bitmap();
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(8, bitmap->bitsPerPixel());
    EXPECT_EQ((PaletteEntry { 9, 9, 9, 0 }), bitmap->pixelColor(3, 0));
    EXPECT_EQ((PaletteEntry { 0, 255, 0, 0 }), bitmap->pixelColor(2, 1));
    EXPECT_EQ(bitmap, gif.Bitmap()); // kept

    // A later frame plays no part, but adding it drops the kept bitmap.
    addFrame(gif, 0, 0, 4, 3, std::vector<std::uint8_t>(12, 1));
    EXPECT_EQ((PaletteEntry { 255, 0, 0, 0 }), gif.Bitmap()->pixelColor(0, 0));

    // A frame smaller than the screen, with its own table, is drawn on white at its place.
    TGIFGraphic small = gifImage();
    addFrame(small, 1, 1, 2, 1, { 1, 0 }).colorTable = { { 10, 20, 30 }, { 40, 50, 60 } };
    const TBitmap* screen = small.Bitmap();
    ASSERT_EQ(4, screen->width());
    ASSERT_EQ(3, screen->height());
    EXPECT_EQ(
        (std::vector<PaletteEntry> { { 255, 255, 255, 0 }, { 255, 255, 255, 0 }, { 255, 255, 255, 0 },
            { 255, 255, 255, 0 }, { 255, 255, 255, 0 }, { 40, 50, 60, 0 }, { 10, 20, 30, 0 }, { 255, 255, 255, 0 },
            { 255, 255, 255, 0 }, { 255, 255, 255, 0 }, { 255, 255, 255, 0 }, { 255, 255, 255, 0 } }),
        colours(*screen));
}

} // namespace
