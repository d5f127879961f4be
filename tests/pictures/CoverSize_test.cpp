#include "JpegEncoder.h"
#include "TestFiles.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/CoverImport.h"
#include "vantrelle/pictures/CoverSize.h"

#include <gtest/gtest.h>

#include <array>

#include <string>

using namespace vantrelle::pictures;

namespace {

struct SizeCase {
    int width;
    int height;
    int shrunkWidth; // 0: kept as it is
    int shrunkHeight;
};

class CoverSizeTest : public testing::TestWithParam<SizeCase> { };

// A picture is scaled down only when both its sides are larger than a cover needs, to fit 600 x 600 in proportion.
TEST_P(CoverSizeTest, bothSidesOverTheLimitAreScaledToFit)
{
    const SizeCase& size = GetParam();
    const std::optional<TBitmap> shrunk = shrunkCover(TBitmap(size.width, size.height, 8));
    if (size.shrunkWidth == 0) {
        EXPECT_FALSE(shrunk.has_value());
        return;
    }
    ASSERT_TRUE(shrunk.has_value());
    EXPECT_EQ(shrunk->width(), size.shrunkWidth);
    EXPECT_EQ(shrunk->height(), size.shrunkHeight);
    EXPECT_EQ(shrunk->bitsPerPixel(), 24);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CoverSizeTest,
    testing::Values(SizeCase { 3000, 3000, 600, 600 }, SizeCase { 1800, 1200, 600, 400 },
        SizeCase { 1200, 1800, 400, 600 }, SizeCase { 601, 601, 600, 600 }, SizeCase { 6000, 601, 600, 60 },
        SizeCase { 600, 3000, 0, 0 }, SizeCase { 3000, 600, 0, 0 }, SizeCase { 100, 140, 0, 0 }));

// Each pixel is the mean of the box it covers: fine black and white stripes become even grey, and a picture's
// left and right halves keep their colours.
TEST(CoverSize, pixelsAreTheMeansOfTheirBoxes)
{
    TBitmap stripes(1200, 1200, 24);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            for (int channel = 0; channel < 3; ++channel)
                stripes.scanLine(y)[3 * x + channel] = x % 2 == 0 ? 0 : (x < 600 ? 255 : 101);
    const std::optional<TBitmap> shrunk = shrunkCover(stripes);
    ASSERT_TRUE(shrunk.has_value());
    const PaletteEntry left = shrunk->pixelColor(10, 300);
    const PaletteEntry right = shrunk->pixelColor(590, 300);
    EXPECT_EQ((std::array { left.red, left.green, left.blue }), (std::array<std::uint8_t, 3> { 128, 128, 128 }));
    EXPECT_EQ((std::array { right.red, right.green, right.blue }), (std::array<std::uint8_t, 3> { 51, 51, 51 }));
}

// A large photo chosen as a cover becomes a palette bitmap of at most 600 x 600, some 360 KB, not megabytes.
TEST(CoverSize, aLargePhotoMakesASmallCover)
{
    const vantrelle::ScratchDir dir("cover-size");
    vantrelle::test::JpegOptions options;
    options.width = 1800;
    options.height = 1200;
    const std::vector<std::uint8_t> jpeg = vantrelle::test::encodeJpeg(options, { 40, 90, 200 });
    const std::string file = (dir.path() / "photo.jpg").string();
    vantrelle::test::writeFile(file, std::string(jpeg.begin(), jpeg.end()));

    TPicture picture;
    std::string extension;
    ImportCoverFile(picture, extension, file);
    const auto* cover = dynamic_cast<const TBitmap*>(picture.graphic());
    ASSERT_NE(cover, nullptr);
    EXPECT_EQ(cover->width(), 600);
    EXPECT_EQ(cover->height(), 400);
    EXPECT_EQ(cover->bitsPerPixel(), 8);
    EXPECT_LE(cover->saveToBytes().size(), 600u * 600u + 2048u);
}

} // namespace
