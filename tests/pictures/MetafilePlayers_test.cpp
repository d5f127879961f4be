// Both metafile players on small metafiles made here: the records they draw, the object tables and
// mappings those records set up, and the records they skip and count.
#include "vantrelle/pictures/Metafile.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

using namespace vantrelle::pictures;
using Bytes = std::vector<std::uint8_t>;

namespace {

void append16(Bytes& bytes, int value)
{
    bytes.push_back(std::uint8_t(value));
    bytes.push_back(std::uint8_t(value >> 8));
}

void append32(Bytes& bytes, std::int64_t value)
{
    append16(bytes, int(value & 0xFFFF));
    append16(bytes, int((value >> 16) & 0xFFFF));
}

TMetafile load(const Bytes& bytes)
{
    TMetafile metafile;
    Stream stream(bytes);
    metafile.loadFromStream(stream);
    return metafile;
}

constexpr std::uint32_t kRed = 0x0000FF; // a COLORREF: red in the low byte

// An enhanced record: type, size, then 32-bit fields.
Bytes emr(std::uint32_t type, std::initializer_list<std::int64_t> fields)
{
    Bytes record;
    append32(record, type);
    append32(record, std::int64_t(8 + 4 * fields.size()));
    for (const std::int64_t field : fields)
        append32(record, field);
    return record;
}

// A 100 x 100 pixel enhanced metafile whose reference device has 96 pixels per inch, so that a logical
// unit of the default map mode is a pixel of the picture.
Bytes enhancedMetafile(const std::vector<Bytes>& records)
{
    Bytes file;
    append32(file, 1); // EMR_HEADER
    append32(file, 108);
    for (const std::int64_t field : { 0, 0, 99, 99 }) // bounds
        append32(file, field);
    for (const std::int64_t field : { 0, 0, 2646, 2646 }) // frame, hundredths of a millimetre
        append32(file, field);
    append32(file, 0x464D4520); // " EMF"
    for (int i = 0; i < 7; ++i) // version, size, record count, handles, description, palette
        append32(file, 0);
    for (const std::int64_t field : { 960, 960, 254, 254 }) // device pixels and millimetres
        append32(file, field);
    file.resize(108);
    for (const Bytes& record : records)
        file.insert(file.end(), record.begin(), record.end());
    const Bytes eof = emr(14, { 0, 16, 20 });
    file.insert(file.end(), eof.begin(), eof.end());
    return file;
}

// A Windows record: size in words, function, then 16-bit parameters.
Bytes metaRecord(std::uint16_t function, std::initializer_list<int> parameters)
{
    Bytes record;
    append32(record, std::int64_t(3 + parameters.size()));
    append16(record, function);
    for (const int parameter : parameters)
        append16(record, parameter);
    return record;
}

// A placeable Windows metafile whose box is 100 x 100 units at 96 units per inch: 100 x 100 pixels.
Bytes windowsMetafile(const std::vector<Bytes>& records)
{
    Bytes file;
    append32(file, 0x9AC6CDD7);
    for (const int word : { 0, 0, 0, 100, 100, 96, 0, 0 }) // handle, box, units per inch, reserved
        append16(file, word);
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 20; i += 2)
        checksum ^= std::uint16_t(file[i] | (file[i + 1] << 8));
    append16(file, checksum);
    for (const int word : { 1, 9, 0x300, 0, 0, 0, 0, 0, 0 }) // META_HEADER, 9 words
        append16(file, word);
    for (const Bytes& record : records)
        file.insert(file.end(), record.begin(), record.end());
    const Bytes eof = metaRecord(0, {});
    file.insert(file.end(), eof.begin(), eof.end());
    return file;
}

struct PlayerCase {
    const char* name;
    Bytes metafile;
    int skipped;
    int x, y; // a pixel to look at
    PaletteEntry colour;
};

void PrintTo(const PlayerCase& c, std::ostream* out)
{
    *out << c.name;
}

constexpr PaletteEntry kWhite { 255, 255, 255, 0 };
constexpr PaletteEntry kBlack { 0, 0, 0, 0 };
constexpr PaletteEntry kRedPixel { 255, 0, 0, 0 };

// Records of both kinds that make a solid red brush as object 1 / slot 0 and select it.
const Bytes kRedBrush = emr(39, { 1, 0, kRed, 0 }); // handle, style, colour, hatch
const Bytes kSelectRedBrush = emr(37, { 1 });
const Bytes kRectangle = emr(43, { 10, 10, 90, 90 });
const Bytes kMetaRedBrush = metaRecord(0x02FC, { 0, kRed & 0xFFFF, kRed >> 16 });
const Bytes kMetaRectangle = metaRecord(0x041B, { 90, 90, 10, 10 }); // bottom, right, top, left

const PlayerCase kCases[] = {
    { "enhancedRectangleInTheSelectedBrush", enhancedMetafile({ kRedBrush, kSelectRedBrush, kRectangle }), 0, 50, 50,
        kRedPixel },
    { "enhancedOutlineInTheDefaultPen", enhancedMetafile({ kRedBrush, kSelectRedBrush, kRectangle }), 0, 10, 50,
        kBlack },
    { "enhancedStockBlackBrush", enhancedMetafile({ emr(37, { 0x80000004 }), kRectangle }), 0, 50, 50, kBlack },
    { "enhancedStockNullBrushLeavesTheInside", enhancedMetafile({ emr(37, { 0x80000005 }), kRectangle }), 0, 50, 50,
        kWhite },
    { "enhancedUnknownStockObjectIsSkipped", enhancedMetafile({ emr(37, { 0x80000009 }), kRectangle }), 1, 50, 50,
        kWhite },
    { "enhancedDeletedBrushCannotBeSelected",
        enhancedMetafile({ kRedBrush, emr(40, { 1 }), kSelectRedBrush, kRectangle }), 1, 50, 50, kWhite },
    { "enhancedShortBrushRecordIsSkipped", enhancedMetafile({ emr(39, { 1, 0 }), kSelectRedBrush, kRectangle }), 2, 50,
        50, kWhite },
    { "enhancedUnknownRecordIsSkipped", enhancedMetafile({ emr(76, { 0, 0, 0, 0 }), kRectangle }), 1, 50, 50, kWhite },
    // Hundredths of a millimetre, y counting upwards: 1000 units are 10 mm, about 38 pixels.
    { "enhancedHiMetricInside",
        enhancedMetafile({ emr(17, { 3 }), kRedBrush, kSelectRedBrush, emr(43, { 0, 0, 1000, -1000 }) }), 0, 20, 20,
        kRedPixel },
    { "enhancedHiMetricOutside",
        enhancedMetafile({ emr(17, { 3 }), kRedBrush, kSelectRedBrush, emr(43, { 0, 0, 1000, -1000 }) }), 0, 60, 60,
        kWhite },
    // Ten logical units to a hundred pixels.
    { "enhancedAnisotropicScales",
        enhancedMetafile({ emr(17, { 8 }), emr(9, { 10, 10 }), emr(11, { 100, 100 }), kRedBrush, kSelectRedBrush,
            emr(43, { 1, 1, 9, 9 }) }),
        0, 80, 80, kRedPixel },
    { "enhancedPolygon16",
        enhancedMetafile({ kRedBrush, kSelectRedBrush,
            emr(86, { 0, 0, 0, 0, 3, 10 | (10 << 16), 90 | (10 << 16), 10 | (90 << 16) }) }),
        0, 20, 20, kRedPixel },
    { "enhancedPolygonWithMorePointsThanItHoldsIsSkipped",
        enhancedMetafile({ kRedBrush, kSelectRedBrush, emr(86, { 0, 0, 0, 0, 4, 10 | (10 << 16), 90 | (10 << 16) }) }),
        1, 20, 20, kWhite },

    { "windowsRectangleInTheSelectedBrush",
        windowsMetafile({ kMetaRedBrush, metaRecord(0x012D, { 0 }), kMetaRectangle }), 0, 50, 50, kRedPixel },
    // A font takes slot 0 though nothing draws with it (and counts as skipped); the brush gets slot 1.
    { "windowsOtherObjectsTakeASlot",
        windowsMetafile({ metaRecord(0x02FB, { 0 }), kMetaRedBrush, metaRecord(0x012D, { 1 }), kMetaRectangle }), 1, 50,
        50, kRedPixel },
    // A deleted object's slot is the next one taken.
    { "windowsFreedSlotIsReused",
        windowsMetafile({ metaRecord(0x02FB, { 0 }), metaRecord(0x01F0, { 0 }), kMetaRedBrush,
            metaRecord(0x012D, { 0 }), kMetaRectangle }),
        1, 50, 50, kRedPixel },
    { "windowsEmptySlotCannotBeSelected", windowsMetafile({ metaRecord(0x012D, { 0 }), kMetaRectangle }), 1, 50, 50,
        kWhite },
    { "windowsShortRectangleIsSkipped", windowsMetafile({ metaRecord(0x041B, { 90, 90, 10 }) }), 1, 10, 50, kWhite },
    // A window of 10 x 10 units over the 100 x 100 pixels.
    { "windowsWindowExtentScales",
        windowsMetafile({ metaRecord(0x020C, { 10, 10 }), kMetaRedBrush, metaRecord(0x012D, { 0 }),
            metaRecord(0x041B, { 9, 9, 1, 1 }) }),
        0, 80, 80, kRedPixel },
};

class MetafilePlayers : public ::testing::TestWithParam<PlayerCase> { };

TEST_P(MetafilePlayers, DrawAndCount)
{
    const PlayerCase& c = GetParam();
    const TMetafile::Rendering rendering = load(c.metafile).render();
    ASSERT_EQ(rendering.bitmap.width(), 100);
    ASSERT_EQ(rendering.bitmap.height(), 100);
    EXPECT_EQ(rendering.bitmap.pixelColor(c.x, c.y), c.colour);
    EXPECT_EQ(rendering.skippedRecords, c.skipped);
}

INSTANTIATE_TEST_SUITE_P(Records, MetafilePlayers, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<PlayerCase>& info) { return std::string(info.param.name); });

} // namespace
