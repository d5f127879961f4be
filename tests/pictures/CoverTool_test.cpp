#include "JpegEncoder.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/CoverImport.h"

#include "TestFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace vantrelle::pictures;
using vantrelle::test::readFile;
using vantrelle::test::writeFile;

namespace {

int runTool(const std::string& arguments)
{
    return vantrelle::test::runTool(arguments).exitCode;
}

// What the window's cover would store after importing the file with the extension remembered.
std::string coverOf(const std::filesystem::path& file, std::string extension)
{
    vantrelle::ScratchDir scratch;
    vantrelle::test::ScopedWorkingDir workingDir(scratch.path());
    TPicture picture;
    ImportCoverFile(picture, extension, file.string());
    const auto bytes = dynamic_cast<const TBitmap&>(*picture.graphic()).saveToBytes();
    return std::string(bytes.begin(), bytes.end());
}

TEST(CoverTool, WritesTheBytesTheCoverColumnStores)
{
    vantrelle::ScratchDir dir;
    vantrelle::test::ScopedWorkingDir workingDir(dir.path());
    vantrelle::test::JpegOptions options;
    options.width = 30;
    options.height = 45;
    const auto jfif = vantrelle::test::encodeJpeg(options, { 10, 120, 230 });
    options.jfif = false;
    const auto exif = vantrelle::test::encodeJpeg(options, { 10, 120, 230 });
    writeFile("poster.jpg", std::string(jfif.begin(), jfif.end()));
    writeFile("exif.jpg", std::string(exif.begin(), exif.end()));
    TBitmap(4, 4, 24).saveToFile("cover.bmp");

    ASSERT_EQ(0, runTool("cover poster.jpg out.bmp"));
    EXPECT_EQ(coverOf(dir / "poster.jpg", ""), readFile("out.bmp"));
    EXPECT_EQ(8, static_cast<unsigned char>(readFile("out.bmp")[28])) << "bits per pixel";

    ASSERT_EQ(0, runTool("cover exif.jpg exif.bmp --extension .jpg"));
    EXPECT_EQ(coverOf(dir / "exif.jpg", ".jpg"), readFile("exif.bmp"));

    // Known by its signature, whatever extension is remembered.
    ASSERT_EQ(0, runTool("cover cover.bmp bitmap.bmp --extension .gif"));
    EXPECT_EQ(coverOf(dir / "cover.bmp", ".gif"), readFile("bitmap.bmp"));
    EXPECT_NE("", readFile("bitmap.bmp"));

    writeFile("picture.png", "\x89PNG\r\n\x1a\n");
    EXPECT_NE(0, runTool("cover picture.png x.bmp"));
    EXPECT_NE(0, runTool("cover missing.jpg x.bmp"));
    EXPECT_NE(0, runTool("cover poster.jpg"));
    EXPECT_EQ((std::vector<std::string> {
                  "bitmap.bmp", "cover.bmp", "exif.bmp", "exif.jpg", "out.bmp", "picture.png", "poster.jpg" }),
        [&] {
            std::vector<std::string> names;
            for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
                names.push_back(entry.path().filename().string());
            std::sort(names.begin(), names.end());
            return names;
        }())
        << "the import's temporary files stay out of the working directory";
}

} // namespace
