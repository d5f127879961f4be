#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/ColorReduction.h"

#include "JpegEncoder.h"
#include "TestFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
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

TEST(ReduceTool, RunsWithoutTheCommandModuleThatTheOtherCommandsNeed)
{
    // A copy of the tool alone in a folder: the picture commands are its own, the others come from
    // the command module, which is neither beside the copy nor where an installation would have it.
    vantrelle::ScratchDir dir;
    const std::filesystem::path tool = dir / "vantrelle-tool";
    std::filesystem::copy_file(VANTRELLE_TOOL, tool);
    TBitmap(4, 3, 24).saveToFile((dir / "in.bmp").string());
    const auto run = [&](const std::string& arguments) {
        const std::string command = tool.string() + " " + arguments + " >/dev/null 2>" + (dir / "errors.txt").string();
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };

    EXPECT_EQ(0, run("reduce " + (dir / "in.bmp").string() + " " + (dir / "out.bmp").string()));
    EXPECT_EQ(0, run("picture-info " + (dir / "out.bmp").string()));
    for (const std::string& arguments : { std::string("help"), "create " + (dir / "Movies.mdb").string() }) {
        EXPECT_EQ(1, run(arguments)) << arguments;
        const std::string message
            = "vantrelle-tool: The tool's command module vantrelle-tool-commands.so is neither in "
            + dir.path().string() + " nor in ";
        EXPECT_EQ(message, vantrelle::test::readFile(dir / "errors.txt").substr(0, message.size())) << arguments;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "Movies.mdb"));
}

} // namespace
