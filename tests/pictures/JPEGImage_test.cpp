#include "JpegEncoder.h"

#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/JPEGImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace vantrelle::pictures;
using vantrelle::test::encodeJpeg;
using vantrelle::test::JpegOptions;

namespace {

TJPEGImage loadJpeg(const std::vector<std::uint8_t>& bytes)
{
    TJPEGImage image;
    Stream stream(bytes);
    image.loadFromStream(stream);
    return image;
}

struct DecodeCase {
    const char* name;
    JpegOptions options;
    std::vector<std::uint8_t> sample;
    int bitsPerPixel;
    PaletteEntry expected; // the decoded colour of every pixel, within a small tolerance
};

void PrintTo(const DecodeCase& c, std::ostream* out)
{
    *out << c.name;
}

class JPEGDecode : public testing::TestWithParam<DecodeCase> { };

TEST_P(JPEGDecode, GivesTheBitmapOfItsKind)
{
    const DecodeCase& c = GetParam();
    const TJPEGImage image = loadJpeg(encodeJpeg(c.options, c.sample));
    EXPECT_EQ(image.width(), c.options.width);
    EXPECT_EQ(image.height(), c.options.height);
    EXPECT_EQ(image.grayscale(), c.options.colorSpace == JCS_GRAYSCALE);
    EXPECT_EQ(image.progressiveEncoding(), c.options.progressive);

    const TBitmap& bitmap = image.Bitmap();
    EXPECT_EQ(&bitmap, &image.Bitmap()) << "decoded once and kept";
    ASSERT_EQ(bitmap.bitsPerPixel(), c.bitsPerPixel);
    ASSERT_EQ(bitmap.width(), c.options.width);
    if (c.bitsPerPixel == 8) {
        EXPECT_LE(bitmap.palette().size(), 236u);
    }
    for (const auto& [x, y] : { std::pair { 0, 0 }, std::pair { c.options.width - 1, c.options.height - 1 } }) {
        const PaletteEntry colour = bitmap.pixelColor(x, y);
        EXPECT_NEAR(colour.red, c.expected.red, 6) << x << "," << y;
        EXPECT_NEAR(colour.green, c.expected.green, 6) << x << "," << y;
        EXPECT_NEAR(colour.blue, c.expected.blue, 6) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, JPEGDecode,
    testing::Values(DecodeCase { "Colour", {}, { 200, 40, 10 }, 24, { 200, 40, 10 } },
        DecodeCase { "Progressive", { 16, 16, JCS_RGB, true }, { 10, 90, 220 }, 24, { 10, 90, 220 } },
        DecodeCase { "ExifWithoutJFIF", { 8, 8, JCS_RGB, false, false }, { 0, 255, 0 }, 24, { 0, 255, 0 } },
        DecodeCase { "GrayscaleGivesEightBits", { 9, 7, JCS_GRAYSCALE }, { 100 }, 8, { 100, 100, 100 } },
        // Adobe CMYK stores inverted inks: (255, 0, 0, 255) is full magenta and yellow, no black.
        DecodeCase { "AdobeCMYK", { 8, 8, JCS_CMYK }, { 255, 0, 0, 255 }, 24, { 255, 0, 0 } }),
    [](const testing::TestParamInfo<DecodeCase>& info) { return info.param.name; });

TEST(JPEGImage, ColourRowsAreBlueGreenRed)
{
    const TJPEGImage image = loadJpeg(encodeJpeg({}, { 255, 0, 0 }));
    const std::uint8_t* row = image.Bitmap().scanLine(0);
    EXPECT_LT(row[0], 8);
    EXPECT_LT(row[1], 8);
    EXPECT_GT(row[2], 247);
}

TEST(JPEGImage, EightBitFormatQuantizesColourFiles)
{
    TJPEGImage image = loadJpeg(encodeJpeg({}, { 200, 40, 10 }));
    image.setPixelFormat(JPEGPixelFormat::k8Bit);
    EXPECT_EQ(image.Bitmap().bitsPerPixel(), 8);
    EXPECT_LE(image.Bitmap().palette().size(), 236u);
}

TEST(JPEGImage, EmptyDataGiveAnEmptyImage)
{
    const TJPEGImage image = loadJpeg({});
    EXPECT_TRUE(image.empty());
    EXPECT_TRUE(image.Bitmap().empty());
}

TEST(JPEGImage, BadHeaderRaisesLibjpegsMessageNumber)
{
    try {
        loadJpeg({ 0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3 });
        FAIL() << "no exception";
    } catch (const EJPEG& e) {
        EXPECT_EQ(std::string(e.what()).rfind("JPEG error #", 0), 0u) << e.what();
    }
    EXPECT_THROW(loadJpeg({ 'G', 'I', 'F', '8', '9', 'a' }), EJPEG);
}

TEST(JPEGImage, TooManyScansAreRefusedWhenDecoding)
{
    // A progressive file whose last scan is repeated hundreds of times: libjpeg only warns about the bogus
    // progression, so without the cap it would decode every one of them.
    std::vector<std::uint8_t> file = encodeJpeg({ 64, 64, JCS_RGB, true }, { 1, 2, 3 });
    std::size_t lastScan = 0;
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xDA)
            lastScan = i;
    const std::vector<std::uint8_t> scan(file.begin() + std::ptrdiff_t(lastScan), file.end() - 2);
    file.erase(file.end() - 2, file.end()); // the end marker goes after the copies
    for (int i = 0; i < 300; ++i)
        file.insert(file.end(), scan.begin(), scan.end());
    file.insert(file.end(), { 0xFF, 0xD9 });

    const TJPEGImage image = loadJpeg(file);
    try {
        image.Bitmap();
        FAIL() << "no exception";
    } catch (const EJPEG& e) {
        EXPECT_EQ(std::string(e.what()),
            "JPEG image has more than 256 scans; it is refused because decoding it "
            "could take minutes");
    }
}

TEST(JPEGImage, HugeDimensionsAreRefusedAtTheHeader)
{
    std::vector<std::uint8_t> file = encodeJpeg({}, { 1, 2, 3 });
    // SOF0: FF C0, length, precision, height, width.
    for (std::size_t i = 0; i + 8 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = 0xFF;
            file[i + 6] = 0x00;
            file[i + 7] = 0xFF;
            file[i + 8] = 0x00;
            break;
        }
    try {
        loadJpeg(file);
        FAIL() << "no exception";
    } catch (const EJPEG& e) {
        EXPECT_EQ(
            std::string(e.what()), "JPEG image of 65280 x 65280 pixels is larger than the limit of 67108864 pixels");
    }
}

} // namespace
