#include "GIFBuilder.h"
#include "TestFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ToolCase {
    const char* fileName;
    std::string contents;
    int exitCode;
    std::string output;
};

TEST(PictureInfoTool, PrintsClassSizeFramesOrTheError)
{
    const vantrelle::test::Bytes gif
        = vantrelle::test::GifBuilder(2, 2).pixels(2, 2, { 0, 1, 2, 3 }).comment("last").trailer().bytes();
    const ToolCase cases[] = {
        { "cover.GIF", std::string(gif.begin(), gif.end()), 0, "class: TGIFGraphic\nwidth: 2\nheight: 2\nframes: 2\n" },
        { "cover.gif", "GIF89", 1, "class: TGIFGraphic\nerror: Premature end of data\n" },
        { "cover.png", "x", 1, "error: Unknown picture file extension (.png)\n" },
        { "Tmp", "x", 0, "class: TOleGraphic\nwidth: 0\nheight: 0\nframes: 0\n" },
    };
    for (const ToolCase& c : cases) {
        vantrelle::ScratchDir dir;
        vantrelle::test::writeFile(dir / c.fileName, c.contents);
        const vantrelle::test::ToolRun run = vantrelle::test::runTool("picture-info " + (dir / c.fileName).string());
        EXPECT_EQ(run.exitCode, c.exitCode) << c.fileName;
        EXPECT_EQ(run.all(), c.output) << c.fileName;
    }
}

} // namespace
