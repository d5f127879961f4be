#include "TestFiles.h"

#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/Icon.h"
#include "vantrelle/pictures/Metafile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace vantrelle::pictures;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes fixture(const std::string& name)
{
    const std::string bytes = vantrelle::test::readFile(std::string(VANTRELLE_FIXTURES_DIR) + "/pictures/" + name);
    return Bytes(bytes.begin(), bytes.end());
}

template <class T> T load(const Bytes& bytes)
{
    T graphic;
    Stream stream(bytes);
    graphic.loadFromStream(stream);
    return graphic;
}

void put16(Bytes& b, std::size_t at, int v)
{
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    put16(b, at, int(v & 0xFFFF));
    put16(b, at + 2, int(v >> 16));
}

// An icon with one 2 x 2 image of 24 bits: colours blue, green / red, white (top row first), and an AND
// mask that makes the top-left pixel transparent when `masked`.
Bytes twoByTwoIcon(bool masked)
{
    Bytes icon(6 + 16);
    put16(icon, 2, 1);
    put16(icon, 4, 1);
    icon[6] = 2;
    icon[7] = 2;
    put16(icon, 6 + 6, 24);
    Bytes dib(40);
    put32(dib, 0, 40);
    put32(dib, 4, 2);
    put32(dib, 8, 4); // colour rows and mask rows
    put16(dib, 12, 1);
    put16(dib, 14, 24);
    const Bytes rows = { 0, 0, 255, 255, 255, 255, 0, 0, // bottom row: red, white, padding
        255, 0, 0, 0, 255, 0, 0, 0 }; // top row: blue, green, padding
    dib.insert(dib.end(), rows.begin(), rows.end());
    const Bytes mask = { 0, 0, 0, 0, std::uint8_t(masked ? 0x80 : 0), 0, 0, 0 }; // bottom row, then top row
    dib.insert(dib.end(), mask.begin(), mask.end());
    put32(icon, 6 + 8, std::uint32_t(dib.size()));
    put32(icon, 6 + 12, std::uint32_t(icon.size()));
    icon.insert(icon.end(), dib.begin(), dib.end());
    return icon;
}

TEST(Icon, DirectoryTypeMustBeZeroOrOne)
{
    const std::pair<Bytes, bool> cases[] = {
        { { 0, 0, 1, 0, 0, 0 }, true },
        { { 0, 0, 0, 0, 0, 0 }, true },
        { { 0, 0, 2, 0, 1, 0 }, false },
        { { 0, 0, 1, 0 }, false },
        { {}, false },
    };
    for (const auto& [bytes, valid] : cases) {
        if (valid) {
            EXPECT_NO_THROW(load<TIcon>(bytes)) << bytes.size();
            continue;
        }
        try {
            load<TIcon>(bytes);
            ADD_FAILURE() << "no exception for " << bytes.size() << " bytes";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "Icon image is not valid");
        }
    }
}

TEST(Icon, LargestImageIsChosenAndDecoded)
{
    const TIcon icon = load<TIcon>(fixture("two.ico"));
    EXPECT_EQ(icon.width(), 16);
    EXPECT_EQ(icon.height(), 16);
    const TBitmap image = icon.largestImage();
    EXPECT_EQ(image.width(), 16);
    EXPECT_EQ(image.height(), 16);
}

TEST(Icon, TransparentPixelsBecomeWhite)
{
    const TBitmap opaque = load<TIcon>(twoByTwoIcon(false)).largestImage();
    EXPECT_EQ(opaque.pixelColor(0, 0), (PaletteEntry { 0, 0, 255, 0 }));
    EXPECT_EQ(opaque.pixelColor(1, 0), (PaletteEntry { 0, 255, 0, 0 }));
    EXPECT_EQ(opaque.pixelColor(0, 1), (PaletteEntry { 255, 0, 0, 0 }));

    const TBitmap masked = load<TIcon>(twoByTwoIcon(true)).largestImage();
    EXPECT_EQ(masked.pixelColor(0, 0), (PaletteEntry { 255, 255, 255, 0 }));
    EXPECT_EQ(masked.pixelColor(1, 0), (PaletteEntry { 0, 255, 0, 0 }));
}

TEST(Icon, ImageOutsideTheFileIsNotValid)
{
    Bytes icon = twoByTwoIcon(false);
    put32(icon, 6 + 12, 5000);
    EXPECT_THROW(load<TIcon>(icon).largestImage(), EInvalidGraphic);
}

TEST(Metafile, PlaceableHeaderAndItsChecksum)
{
    const Bytes wmf = fixture("shapes.wmf");
    const TMetafile metafile = load<TMetafile>(wmf);
    EXPECT_FALSE(metafile.enhanced());
    // A 200 x 100 box at 96 units per inch.
    EXPECT_EQ(metafile.mmWidth(), 200 * 2540 / 96);
    EXPECT_EQ(metafile.mmHeight(), 100 * 2540 / 96);
    EXPECT_EQ(metafile.width(), 200);
    EXPECT_EQ(metafile.height(), 100);

    Bytes badChecksum = wmf;
    badChecksum[20] ^= 1;
    Bytes zeroInch = wmf;
    put16(zeroInch, 14, 0);
    put16(zeroInch, 20, (wmf[20] | (wmf[21] << 8)) ^ 96);
    EXPECT_EQ(load<TMetafile>(zeroInch).mmWidth(), 200 * 2540 / 96);
    for (const Bytes& bytes : { badChecksum, Bytes(wmf.begin(), wmf.begin() + 21), Bytes(120, 0) }) {
        try {
            load<TMetafile>(bytes);
            ADD_FAILURE() << "no exception for " << bytes.size() << " bytes";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "Metafile is not valid");
        }
    }
}

TEST(Metafile, EnhancedHeaderGivesTheFrame)
{
    const Bytes emf = fixture("shapes.emf");
    const TMetafile metafile = load<TMetafile>(emf);
    EXPECT_TRUE(metafile.enhanced());
    EXPECT_EQ(metafile.mmWidth(), 10000);
    EXPECT_EQ(metafile.mmHeight(), 5000);
    // An enhanced header needs more than 100 bytes.
    EXPECT_THROW(load<TMetafile>(Bytes(emf.begin(), emf.begin() + 100)), EInvalidGraphic);
}

struct RenderCase {
    const char* file;
    int x, y;
    PaletteEntry colour;
};

TEST(Metafile, RendersTheCommonRecordsAndCountsTheOthers)
{
    const RenderCase cases[] = {
        { "shapes.wmf", 60, 30, { 255, 0, 0, 0 } }, // inside the red rectangle
        { "shapes.wmf", 10, 50, { 0, 0, 255, 0 } }, // on its blue outline
        { "shapes.wmf", 195, 95, { 255, 255, 255, 0 } }, // outside every shape
        { "shapes.emf", 100, 60, { 255, 0, 0, 0 } },
        { "shapes.emf", 2, 2, { 255, 255, 255, 0 } },
    };
    for (const RenderCase& c : cases) {
        const TMetafile::Rendering rendering = load<TMetafile>(fixture(c.file)).render();
        ASSERT_EQ(rendering.bitmap.bitsPerPixel(), 24);
        EXPECT_EQ(rendering.bitmap.pixelColor(c.x, c.y), c.colour) << c.file << " " << c.x << "," << c.y;
        EXPECT_EQ(rendering.skippedRecords, 1) << c.file; // the text record
    }
}

} // namespace
