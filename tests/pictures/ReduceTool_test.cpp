#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/ColorReduction.h"

#include "JpegEncoder.h"
#include "TestFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantrelle::pictures;

namespace {

int runTool(const std::string& arguments)
{
    return vantrelle::test::runTool(arguments).exitCode;
}

TEST(ReduceTool, WritesTheCoverBytesOfTheReducedPicture)
{
    vantrelle::ScratchDir dir;
    TBitmap picture(40, 30, 24);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x)
            picture.scanLine(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 13);
    picture.saveToFile((dir / "in.BMP").string());
    TBitmap palettePicture(3, 3, 4);
    palettePicture.setPalette({ { 1, 2, 3, 0 } });
    palettePicture.saveToFile((dir / "pal.bmp").string());

    ASSERT_EQ(0, runTool("reduce " + (dir / "in.BMP").string() + " " + (dir / "out.bmp").string()));
    TBitmap expected = picture;
    const std::vector<std::uint8_t> bytes
        = ReduceToPaletteBitmap(expected, TReductionMode::OptimalWithSystemColors, TDitherKind::NearestColor)
              ->saveToBytes();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), vantrelle::test::readFile(dir / "out.bmp"));

    // A palette picture keeps its own colours and depth.
    ASSERT_EQ(0, runTool("reduce " + (dir / "pal.bmp").string() + " " + (dir / "same.bmp").string()));
    EXPECT_EQ(vantrelle::test::readFile(dir / "pal.bmp"), vantrelle::test::readFile(dir / "same.bmp"));

    // Other formats are loaded by their extension: a JPEG file is decoded and reduced.
    const std::vector<std::uint8_t> jpeg = vantrelle::test::encodeJpeg({ 8, 8, JCS_RGB, false, true }, { 10, 200, 90 });
    vantrelle::test::writeFile(dir / "cover.jpg", std::string(jpeg.begin(), jpeg.end()));
    ASSERT_EQ(0, runTool("reduce " + (dir / "cover.jpg").string() + " " + (dir / "jpeg.bmp").string()));
    TBitmap fromJpeg;
    fromJpeg.loadFromFile((dir / "jpeg.bmp").string());
    EXPECT_EQ(8, fromJpeg.bitsPerPixel());
    EXPECT_EQ(8, fromJpeg.width());

    vantrelle::test::writeFile(dir / "in.png", "not read");
    vantrelle::test::writeFile(dir / "Tmp", "no extension: an empty picture");
    EXPECT_NE(0, runTool("reduce " + (dir / "in.png").string() + " " + (dir / "x.bmp").string()));
    EXPECT_NE(0, runTool("reduce " + (dir / "Tmp").string() + " " + (dir / "x.bmp").string()));
    EXPECT_NE(0, runTool("reduce " + (dir / "missing.bmp").string() + " " + (dir / "x.bmp").string()));
}

} // namespace
