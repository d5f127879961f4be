// The BMP Suite conformance corpus: good files read and look like their reference renderings,
// bad and questionable files are read or refused without harm.
#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/Errors.h"

#include "TestFiles.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

using vantrelle::pictures::EInvalidGraphic;
using vantrelle::pictures::TBitmap;

namespace {

const std::filesystem::path suite = std::filesystem::path(VANTRELLE_CORPORA_DIR) / "bmpsuite";

struct Rgb {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // red, green, blue; rows from the top
};

Rgb readPng(const std::filesystem::path& file)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    Rgb rgb { static_cast<int>(image.width), static_cast<int>(image.height), {} };
    rgb.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    return rgb;
}

TBitmap loadFile(const std::filesystem::path& file)
{
    TBitmap bitmap;
    bitmap.loadFromFile(file.string());
    return bitmap;
}

struct GoodCase {
    const char* file;
    const char* reference; // in reference/, or nullptr
};

// "g/pal8-0.bmp" -> "pal8_0"
std::string caseName(const ::testing::TestParamInfo<GoodCase>& info)
{
    std::string name = info.param.file;
    name = name.substr(2, name.size() - 6);
    for (char& ch : name)
        if (ch == '-')
            ch = '_';
    return name;
}

class GoodFiles : public ::testing::TestWithParam<GoodCase> { };

TEST_P(GoodFiles, ReadAndMatchTheReference)
{
    const GoodCase& c = GetParam();
    TBitmap bitmap;
    ASSERT_NO_THROW(bitmap = loadFile(suite / c.file));
    ASSERT_FALSE(bitmap.empty());
    if (c.reference == nullptr)
        return;
    const Rgb reference = readPng(suite / "reference" / c.reference);
    ASSERT_EQ(reference.width, bitmap.width());
    ASSERT_EQ(reference.height, bitmap.height());
    int mismatches = 0;
    std::string first;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const auto colour = bitmap.pixelColor(x, y);
            const std::uint8_t* want = &reference.pixels[(static_cast<std::size_t>(y) * reference.width + x) * 3];
            if (colour.red != want[0] || colour.green != want[1] || colour.blue != want[2]) {
                if (mismatches++ == 0)
                    first = "(" + std::to_string(x) + "," + std::to_string(y) + ") got " + std::to_string(colour.red)
                        + "," + std::to_string(colour.green) + "," + std::to_string(colour.blue) + " want "
                        + std::to_string(want[0]) + "," + std::to_string(want[1]) + "," + std::to_string(want[2]);
            }
        }
    EXPECT_EQ(0, mismatches) << "first at " << first;
}

INSTANTIATE_TEST_SUITE_P(BmpSuite, GoodFiles,
    ::testing::Values(GoodCase { "g/pal1.bmp", "pal1.png" }, GoodCase { "g/pal1wb.bmp", "pal1.png" },
        GoodCase { "g/pal1bg.bmp", "pal1bg.png" }, GoodCase { "g/pal4.bmp", "pal4.png" },
        GoodCase { "g/pal4gs.bmp", "pal4gs.png" }, GoodCase { "g/pal4rle.bmp", "pal4.png" },
        GoodCase { "g/pal8.bmp", "pal8.png" }, GoodCase { "g/pal8-0.bmp", "pal8.png" },
        GoodCase { "g/pal8gs.bmp", "pal8gs.png" }, GoodCase { "g/pal8rle.bmp", "pal8.png" },
        GoodCase { "g/pal8w126.bmp", "pal8w126.png" }, GoodCase { "g/pal8w125.bmp", "pal8w125.png" },
        GoodCase { "g/pal8w124.bmp", "pal8w124.png" }, GoodCase { "g/pal8topdown.bmp", "pal8.png" },
        GoodCase { "g/pal8nonsquare.bmp", nullptr }, GoodCase { "g/pal8os2.bmp", "pal8.png" },
        GoodCase { "g/pal8v4.bmp", "pal8.png" }, GoodCase { "g/pal8v5.bmp", "pal8.png" },
        GoodCase { "g/rgb16.bmp", "rgb16.png" }, GoodCase { "g/rgb16bfdef.bmp", "rgb16.png" },
        GoodCase { "g/rgb16-565.bmp", "rgb16-565.png" }, GoodCase { "g/rgb16-565pal.bmp", "rgb16-565.png" },
        GoodCase { "g/rgb24.bmp", "rgb24.png" }, GoodCase { "g/rgb24pal.bmp", "rgb24.png" },
        GoodCase { "g/rgb32.bmp", "rgb24.png" }, GoodCase { "g/rgb32bfdef.bmp", "rgb24.png" },
        GoodCase { "g/rgb32bf.bmp", "rgb24.png" }),
    caseName);

// Questionable files that are read show what their reference shows (files whose reference
// composites an alpha channel, or whose pixels stand at a pixel offset that readers ignore, aside).
INSTANTIATE_TEST_SUITE_P(BmpSuiteQuestionable, GoodFiles,
    ::testing::Values(GoodCase { "q/pal1p1.bmp", "pal1p1.png" }, GoodCase { "q/pal8os2-hs.bmp", "pal8.png" },
        GoodCase { "q/pal8os2-sz.bmp", "pal8.png" }, GoodCase { "q/pal8os2v2.bmp", "pal8.png" },
        GoodCase { "q/pal8os2v2-sz.bmp", "pal8.png" }, GoodCase { "q/pal8os2v2-40sz.bmp", "pal8.png" },
        GoodCase { "q/pal8oversizepal.bmp", "pal8.png" }, GoodCase { "q/rgb16-231.bmp", "rgb16-231.png" },
        GoodCase { "q/rgb16-3103.bmp", "rgb16-3103.png" }, GoodCase { "q/rgb24largepal.bmp", "rgb24.png" },
        GoodCase { "q/rgb24prof.bmp", "rgb24.png" }, GoodCase { "q/rgb24lprof.bmp", "rgb24.png" },
        GoodCase { "q/rgb32h52.bmp", "rgb24.png" }, GoodCase { "q/rgb32-xbgr.bmp", "rgb24.png" },
        GoodCase { "q/pal8rletrns.bmp", "pal8rletrns-0.png" }, GoodCase { "q/pal4rletrns.bmp", "pal4rletrns-0.png" },
        GoodCase { "q/pal8rlecut.bmp", "pal8rlecut-0.png" }, GoodCase { "q/pal4rlecut.bmp", "pal4rlecut-0.png" }),
    caseName);

TEST(BmpSuite, EveryGoodFileIsCovered)
{
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(suite / "g"))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(27u, files.size());
}

// Bad files. Those whose fault lies in a field that a BMP reader does not use (the file size, the
// image size beyond the data, the resolution), in short pixel data, or in pixel values, are read;
// the others are refused.
TEST(BmpSuite, BadFilesAreRefusedOrReadHarmlessly)
{
    const std::set<std::string> readable { "badbitssize.bmp", "baddens1.bmp", "baddens2.bmp", "badfilesize.bmp",
        "badheadersize.bmp", "pal8badindex.bmp", "rgb16-880.bmp", "shortfile.bmp" };
    for (const auto& entry : std::filesystem::directory_iterator(suite / "b")) {
        const std::string name = entry.path().filename().string();
        if (readable.count(name)) {
            EXPECT_NO_THROW(loadFile(entry.path())) << name;
            continue;
        }
        try {
            loadFile(entry.path());
            ADD_FAILURE() << name << " was read";
        } catch (const EInvalidGraphic& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with("Bitmap image is")) << name << ": " << e.what();
        }
    }
}

TEST(BmpSuite, QuestionableFilesAreReadOrRefused)
{
    int read = 0;
    for (const auto& entry : std::filesystem::directory_iterator(suite / "q")) {
        try {
            const TBitmap bitmap = loadFile(entry.path());
            EXPECT_FALSE(bitmap.empty()) << entry.path().filename();
            ++read;
        } catch (const EInvalidGraphic& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with("Bitmap image is")) << entry.path().filename();
        }
    }
    EXPECT_GT(read, 20);
}

} // namespace
