// The GIF conformance corpus: every file loads, and where the first frame covers the logical screen its
// pixels, through the frame's colour table, match the reference rendering of that frame.
#include "vantrelle/pictures/GIFImage.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <png.h>

#include <filesystem>

using namespace vantrelle::pictures;
namespace fs = std::filesystem;

namespace {

const fs::path kSuite = fs::path(VANTRELLE_CORPORA_DIR) / "gif-suite";

struct Rgba {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

Rgba readPng(const fs::path& file)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    Rgba rgba;
    if (!png_image_begin_read_from_file(&image, file.c_str()))
        return rgba;
    image.format = PNG_FORMAT_RGBA;
    rgba.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    rgba.width = int(image.width);
    rgba.height = int(image.height);
    return rgba;
}

std::vector<fs::path> suiteFiles()
{
    std::vector<fs::path> files;
    if (fs::is_directory(kSuite))
        for (const auto& entry : fs::directory_iterator(kSuite))
            if (entry.path().extension() == ".gif")
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(GIFSuite, EveryFileLoadsAndTheFirstFrameMatchesItsReference)
{
    const std::vector<fs::path> files = suiteFiles();
    ASSERT_FALSE(files.empty()) << "no GIF files in " << kSuite;
    int compared = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string bytes = vantrelle::test::readFile(file);
        TGIFGraphic image;
        std::vector<std::string> warnings;
        image.setWarningHandler([&](const std::string& message) { warnings.push_back(message); });
        Stream stream(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        ASSERT_NO_THROW(image.loadFromStream(stream));
        ASSERT_FALSE(image.empty());
        EXPECT_TRUE(warnings.empty()) << warnings.front();

        const fs::path referenceFile = kSuite / "frames" / (file.stem().string() + "-0.png");
        const TGIFFrame& frame = *image.frames().front();
        const bool coversScreen
            = frame.left == 0 && frame.top == 0 && frame.width == image.width() && frame.height == image.height();
        if (!fs::exists(referenceFile) || !coversScreen)
            continue;
        const Rgba reference = readPng(referenceFile);
        ASSERT_EQ(reference.width, frame.width);
        ASSERT_EQ(reference.height, frame.height);
        const GIFColorTable& table = frame.activeColorTable();
        int mismatches = 0;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                const std::uint8_t index = frame.pixels[std::size_t(y) * frame.width + x];
                const std::uint8_t* expected = &reference.pixels[(std::size_t(y) * frame.width + x) * 4];
                if (frame.transparent && index == frame.transparentIndex) {
                    mismatches += expected[3] != 0;
                    continue;
                }
                ASSERT_LT(index, table.size());
                const GIFColor colour = table[index];
                mismatches += expected[3] != 255 || colour.red != expected[0] || colour.green != expected[1]
                    || colour.blue != expected[2];
            }
        EXPECT_EQ(mismatches, 0);
        ++compared;
    }
    EXPECT_GE(compared, 10); // all but the file whose first frame lies partly outside the screen
}

} // namespace
