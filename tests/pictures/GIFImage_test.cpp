#include "GIFBuilder.h"

#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/GIFImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

using namespace vantrelle::pictures;
using vantrelle::test::Bytes;
using vantrelle::test::GifBuilder;
using vantrelle::test::packCodes;

namespace {

struct Loaded {
    TGIFGraphic image;
    std::vector<std::string> warnings;
};

void load(Loaded& loaded, const Bytes& bytes)
{
    loaded.image.setWarningHandler([&](const std::string& message) { loaded.warnings.push_back(message); });
    Stream stream(bytes);
    loaded.image.loadFromStream(stream);
}

const Bytes kTwoByTwo = { 0, 1, 2, 3 };

struct ReadCase {
    const char* name;
    std::function<Bytes()> file;
    std::size_t frames;
    std::vector<std::string> warnings;
};

void PrintTo(const ReadCase& c, std::ostream* out)
{
    *out << c.name;
}

class GIFRead : public testing::TestWithParam<ReadCase> { };

TEST_P(GIFRead, FramesAndWarnings)
{
    Loaded loaded;
    load(loaded, GetParam().file());
    EXPECT_EQ(loaded.image.frames().size(), GetParam().frames);
    EXPECT_EQ(loaded.warnings, GetParam().warnings);
    EXPECT_EQ(loaded.image.width(), 2);
    EXPECT_EQ(loaded.image.frames().front()->pixels, kTwoByTwo);
}

INSTANTIATE_TEST_SUITE_P(Files, GIFRead,
    testing::Values(
        ReadCase { "Plain", [] { return GifBuilder(2, 2).pixels(2, 2, kTwoByTwo).trailer().bytes(); }, 1, {} },
        ReadCase { "LowerCaseSignature",
            [] { return GifBuilder(2, 2, "gif87a").pixels(2, 2, kTwoByTwo).trailer().bytes(); }, 1, {} },
        ReadCase { "FourBytePrefix",
            [] {
                Bytes file = { 1, 2, 3, 4 };
                const Bytes gif = GifBuilder(2, 2).pixels(2, 2, kTwoByTwo).trailer().bytes();
                file.insert(file.end(), gif.begin(), gif.end());
                return file;
            },
            1, {} },
        ReadCase { "NoTrailer", [] { return GifBuilder(2, 2).pixels(2, 2, kTwoByTwo).bytes(); }, 1, {} },
        ReadCase { "ZeroBytesBetweenBlocks",
            [] {
                return GifBuilder(2, 2).raw({ 0, 0 }).pixels(2, 2, kTwoByTwo).raw({ 0 }).trailer().bytes();
            },
            1, {} },
        ReadCase { "ForeignBlockBetweenFrames",
            [] {
                return GifBuilder(2, 2).pixels(2, 2, kTwoByTwo).raw({ 0x99 }).pixels(2, 2, kTwoByTwo).trailer().bytes();
            },
            1, { "Unknown GIF block type", "Invalid Image trailer" } },
        ReadCase { "TrailingExtensionsMakeOneMoreFrame",
            [] {
                return GifBuilder(2, 2)
                    .pixels(2, 2, kTwoByTwo)
                    .comment("end")
                    .graphicControl(false, 0)
                    .trailer()
                    .bytes();
            },
            2, {} },
        ReadCase { "ExtensionsBeforeTheImageBelongToIt",
            [] {
                return GifBuilder(2, 2)
                    .comment("hello")
                    .raw({ 0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0 })
                    .pixels(2, 2, kTwoByTwo)
                    .trailer()
                    .bytes();
            },
            1, {} },
        ReadCase { "ShortGraphicControlAtTheEnd",
            [] {
                return GifBuilder(2, 2).pixels(2, 2, kTwoByTwo).raw({ 0x21, 0xF9, 4, 1 }).bytes();
            },
            2, { "Premature end of data" } },
        ReadCase { "GarbageAfterTheLastFrame",
            [] { return GifBuilder(2, 2).pixels(2, 2, kTwoByTwo).raw({ 'x' }).bytes(); }, 1,
            { "Unknown GIF block type", "Invalid Image trailer" } }),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

struct FailCase {
    const char* name;
    std::function<Bytes()> file;
    const char* message;
};

void PrintTo(const FailCase& c, std::ostream* out)
{
    *out << c.name;
}

class GIFFail : public testing::TestWithParam<FailCase> { };

TEST_P(GIFFail, RaisesAndRestoresThePosition)
{
    Bytes file = { 'x', 'y' }; // the stream starts reading after these
    const Bytes gif = GetParam().file();
    file.insert(file.end(), gif.begin(), gif.end());
    Stream stream(file);
    stream.seek(2);
    TGIFGraphic image;
    try {
        image.loadFromStream(stream);
        FAIL() << "no exception";
    } catch (const EGIFError& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
    EXPECT_EQ(stream.position(), 2u);
    EXPECT_TRUE(image.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, GIFFail,
    testing::Values(
        FailCase { "BadSignature", [] { return GifBuilder(2, 2, "PNG89a").pixels(2, 2, kTwoByTwo).bytes(); },
            "Invalid GIF signature" },
        FailCase { "ShortScreenDescriptor",
            [] {
                return Bytes { 'G', 'I', 'F', '8', '9', 'a', 2, 0 };
            },
            "Premature end of data" },
        FailCase { "ShortColorTable",
            [] {
                return Bytes { 'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x81, 0, 0, 1 };
            },
            "Premature end of data" },
        FailCase { "UnknownExtensionLabel",
            [] {
                return GifBuilder(2, 2).raw({ 0x21, 0x42, 0 }).pixels(2, 2, kTwoByTwo).bytes();
            },
            "Unknown extension type" },
        FailCase { "ApplicationBlockSizeBelowTen",
            [] {
                return GifBuilder(2, 2).raw({ 0x21, 0xFF, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0 }).bytes();
            },
            "Unsupported Application Extension block size" },
        FailCase { "TruncatedComment",
            [] {
                return GifBuilder(2, 2).raw({ 0x21, 0xFE, 10, 'a' }).bytes();
            },
            "Premature end of data" },
        FailCase { "TruncatedImageDescriptor",
            [] {
                return GifBuilder(2, 2).raw({ 0x2C, 0, 0, 0 }).bytes();
            },
            "Premature end of data" },
        FailCase { "CodeBeyondTheTable",
            [] {
                return GifBuilder(2, 2).image(2, 2, packCodes({ { 4, 3 }, { 1, 3 }, { 7, 3 }, { 5, 3 } })).bytes();
            },
            "Circular decoder table entry" },
        FailCase { "MinimumCodeSizeAboveEleven",
            [] {
                return GifBuilder(2, 2).image(2, 2, { 0, 0 }, 12).bytes();
            },
            "Corrupt GIF data: LZW minimum code size 12 is above 11" },
        FailCase { "FrameOverThePixelLimit", [] { return GifBuilder(2, 2).image(65535, 65535, { 0 }).bytes(); },
            "GIF frame of 65535 x 65535 pixels is larger than the limit of 67108864 pixels" }),
    [](const testing::TestParamInfo<FailCase>& info) { return info.param.name; });

TEST(GIFImage, TruncatedFrameKeepsItsRowsAndFillsTheRest)
{
    // Two of four rows are coded; the data end without the end code.
    const Bytes rows = { 1, 2, 3, 1, 2, 3, 1, 2 };
    for (const bool transparent : { false, true }) {
        GifBuilder builder(4, 4);
        if (transparent)
            builder.graphicControl(true, 3);
        Bytes lzw = vantrelle::test::encodeUncompressed(rows, 2);
        lzw.pop_back(); // drops the end code's byte
        Loaded loaded;
        load(loaded, builder.image(4, 4, lzw).bytes());
        const std::uint8_t fill = transparent ? 3 : 0;
        Bytes expected = rows;
        expected.resize(16, fill);
        ASSERT_EQ(loaded.image.frames().size(), 1u);
        EXPECT_EQ(loaded.image.frames()[0]->pixels, expected) << "transparent " << transparent;
        EXPECT_EQ(loaded.image.frames()[0]->transparent, transparent);
        EXPECT_EQ(loaded.warnings, std::vector<std::string> { "Decoder bit buffer under-run" });
    }
}

TEST(GIFImage, SubBlockLongerThanTheDataIsReadAsFarAsItGoes)
{
    Bytes lzw = vantrelle::test::encodeUncompressed({ 1, 2, 3, 1 }, 2);
    Bytes file = GifBuilder(2, 2).raw({ 0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 200 }).raw(lzw).bytes();
    Loaded loaded;
    load(loaded, file);
    ASSERT_EQ(loaded.image.frames().size(), 1u);
    EXPECT_EQ(loaded.image.frames()[0]->pixels, (Bytes { 1, 2, 3, 1 }));
    EXPECT_EQ(loaded.warnings, std::vector<std::string> { "Premature end of data" });
}

TEST(GIFImage, InterlacedRowsArriveInPassOrder)
{
    // Coded rows 0..9 of a 1 x 10 frame stand for picture rows 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
    const Bytes coded = { 0, 1, 2, 3, 0, 1, 2, 3, 0, 1 };
    Loaded loaded;
    load(loaded, GifBuilder(1, 10).pixels(1, 10, coded, true).trailer().bytes());
    const Bytes expected = { 0, 1, 3, 2, 2, 3, 0, 0, 1, 1 };
    EXPECT_EQ(loaded.image.frames()[0]->pixels, expected);
}

TEST(GIFImage, CompressedCodesGrowAndReuseTheTable)
{
    // clear, 1, then code 6 before it is defined (the previous string plus its own first byte), 6, 7 with the
    // code width grown to 4 bits, end.
    const Bytes lzw = packCodes({ { 4, 3 }, { 1, 3 }, { 6, 3 }, { 6, 3 }, { 7, 4 }, { 5, 4 } });
    Loaded loaded;
    load(loaded, GifBuilder(4, 2).image(4, 2, lzw).trailer().bytes());
    EXPECT_EQ(loaded.image.frames()[0]->pixels, Bytes(8, 1));
    EXPECT_TRUE(loaded.warnings.empty());
}

// Pixels of `colours` colours in runs of 1 to maxRun pixels.
Bytes runs(std::size_t count, int colours, int maxRun, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes pixels;
    while (pixels.size() < count)
        pixels.resize(std::min(count, pixels.size() + 1 + random() % unsigned(maxRun)),
            std::uint8_t(random() % unsigned(colours)));
    return pixels;
}

struct CompressedCase {
    const char* name;
    Bytes pixels;
    int minCodeSize;
    bool clearWhenFull;
    int width, height; // of the frame, which may hold fewer pixels than the code stream
};

void PrintTo(const CompressedCase& c, std::ostream* out)
{
    *out << c.name;
}

class GIFCompressed : public testing::TestWithParam<CompressedCase> { };

TEST_P(GIFCompressed, DecodesWhatAnEncoderWrote)
{
    const CompressedCase& c = GetParam();
    const Bytes lzw = vantrelle::test::encodeLzw(c.pixels, c.minCodeSize, c.clearWhenFull);
    Loaded loaded;
    load(loaded, GifBuilder(c.width, c.height).image(c.width, c.height, lzw, c.minCodeSize).trailer().bytes());
    const Bytes expected(c.pixels.begin(), c.pixels.begin() + std::ptrdiff_t(c.width * c.height));
    ASSERT_EQ(loaded.image.frames().size(), 1u);
    EXPECT_EQ(loaded.image.frames()[0]->pixels, expected);
    EXPECT_TRUE(loaded.warnings.empty());
}

// Long strings, strings that name the entry being defined, a table that fills up with or without a clear
// code, code streams of many sub-blocks, and a last string that runs past the frame.
INSTANTIATE_TEST_SUITE_P(Streams, GIFCompressed,
    testing::Values(CompressedCase { "LongRuns", runs(60000, 4, 3000, 1), 2, true, 200, 300 },
        CompressedCase { "NoiseClearsTheFullTable", runs(60000, 256, 2, 2), 8, true, 300, 200 },
        CompressedCase { "NoiseKeepsTheFullTable", runs(60000, 256, 2, 3), 8, false, 300, 200 },
        CompressedCase { "RunsOfEightColours", runs(30000, 8, 40, 4), 3, false, 150, 200 },
        CompressedCase { "ElevenBitRoots", runs(20000, 256, 5, 5), 11, true, 100, 200 },
        CompressedCase { "LastStringRunsPastTheFrame", Bytes(5000, 7), 3, true, 70, 70 }),
    [](const testing::TestParamInfo<CompressedCase>& info) { return info.param.name; });

TEST(GIFImage, ZeroSizeImageTakesTheScreenSize)
{
    Loaded loaded;
    load(loaded, GifBuilder(2, 2).pixels(0, 0, kTwoByTwo).trailer().bytes());
    const TGIFFrame& frame = *loaded.image.frames()[0];
    EXPECT_EQ(frame.width, 2);
    EXPECT_EQ(frame.height, 2);
    EXPECT_EQ(frame.pixels, kTwoByTwo);
    EXPECT_EQ(loaded.warnings.size(), 1u);
}

TEST(GIFImage, ActiveColorTableAndGraphicControl)
{
    Loaded loaded;
    load(loaded, GifBuilder(2, 2).graphicControl(true, 2).pixels(2, 2, kTwoByTwo).trailer().bytes());
    const TGIFFrame& frame = *loaded.image.frames()[0];
    ASSERT_NE(frame.graphicControlExtension(), nullptr);
    EXPECT_TRUE(frame.graphicControlExtension()->transparent());
    EXPECT_EQ(frame.transparentIndex, 2);
    EXPECT_EQ(&frame.activeColorTable(), &loaded.image.header().globalColorTable);
    EXPECT_EQ(frame.activeColorTable()[1], (GIFColor { 255, 0, 0 }));

    const TGIFGraphic copy = loaded.image;
    EXPECT_EQ(&copy.frames()[0]->image(), &copy);
    EXPECT_EQ(copy.frames()[0]->pixels, kTwoByTwo);
}

} // namespace
