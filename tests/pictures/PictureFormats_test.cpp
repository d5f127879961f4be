#include "GIFBuilder.h"
#include "JpegEncoder.h"
#include "TestFiles.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/GIFImage.h"
#include "vantrelle/pictures/Icon.h"
#include "vantrelle/pictures/JPEGImage.h"
#include "vantrelle/pictures/Metafile.h"
#include "vantrelle/pictures/OleGraphic.h"
#include "vantrelle/pictures/Picture.h"
#include "vantrelle/pictures/PictureFormats.h"

#include <gtest/gtest.h>

#include <optional>

using namespace vantrelle::pictures;
using vantrelle::ScratchDir;
using vantrelle::test::Bytes;

namespace {

std::string className(const GraphicClass* graphicClass)
{
    return graphicClass ? graphicClass->create()->className() : "(none)";
}

TEST(PictureFormats, TheProgramsNineEntriesInOrder)
{
    struct Entry {
        const char* extension;
        const char* description;
        const char* graphicClass;
    };
    const Entry expected[] = {
        { "wmf", "", "TMetafile" },
        { "emf", "", "TMetafile" },
        { "ico", "", "TIcon" },
        { "bmp", "", "TBitmap" },
        { "", "", "TOleGraphic" },
        { "gif", "CompuServe GIF Image", "CompuServeGIF" },
        { "gif", "GIF Image", "TGIFGraphic" },
        { "jpeg", "JPEG Image File", "TJPEGImage" },
        { "jpg", "JPEG Image File", "TJPEGImage" },
    };
    const auto& entries = fileFormats().entries();
    ASSERT_EQ(entries.size(), std::size(expected));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].extension, expected[i].extension) << i;
        EXPECT_EQ(entries[i].description, expected[i].description) << i;
        EXPECT_EQ(className(entries[i].graphicClass), expected[i].graphicClass) << i;
    }
}

// One line per kind, each extension once: the older GIF registration, which the lookup never reaches, is not
// listed, and JPEG's two extensions share its line.
TEST(PictureFormats, FilterListsEachKindAndExtensionOnce)
{
    EXPECT_EQ(PictureFilter(),
        "All (*.jpg;*.jpeg;*.gif;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.gif;*.bmp;*.ico;*.emf;*.wmf|"
        "JPEG Image File (*.jpg;*.jpeg)|*.jpg;*.jpeg|GIF Image (*.gif)|*.gif|Bitmaps (*.bmp)|*.bmp|"
        "Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf");
    // Only classes deriving from the base are listed; one line needs no "All" line.
    EXPECT_EQ(PictureFilter(GraphicClass::of<TIcon>()), "Icons (*.ico)|*.ico");
    EXPECT_EQ(PictureFilter(GraphicClass::of<TGIFGraphic>()), "GIF Image (*.gif)|*.gif");
}

TEST(PictureFormats, FindLowerCasesAndTheLatestRegistrationWins)
{
    const std::pair<const char*, const char*> cases[] = {
        { "JPG", "TJPEGImage" },
        { "jpeg", "TJPEGImage" },
        { "gif", "TGIFGraphic" },
        { "GIF", "TGIFGraphic" },
        { "", "TOleGraphic" },
        { "Bmp", "TBitmap" },
        { "png", "(none)" },
        { ".gif", "(none)" },
    };
    for (const auto& [extension, expected] : cases)
        EXPECT_EQ(className(FindPictureFormat(extension)), expected) << extension;

    TFileFormatsList list;
    list.add("gif", "first", 0, GraphicClass::of<TBitmap>());
    list.add("GIF", "second", 0, GraphicClass::of<TGIFGraphic>());
    EXPECT_EQ(list.entries()[1].extension, "gif");
    EXPECT_EQ(className(list.findExt("Gif")), "TGIFGraphic");
}

TEST(PictureFormats, ExtensionFollowsTheLastPathDelimiter)
{
    const std::pair<const char*, const char*> cases[] = {
        { "Tmp.jpg", "jpg" },
        { "Tmp", "" },
        { "a.tar.GZ", "GZ" },
        { "C:\\dir.x\\Tmp", "" },
        { "C:Tmp", "" },
        { "dir.x/Tmp", "" },
        { "C:\\dir\\Tmp.gif", "gif" },
        { "Tmp.", "" },
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(pictureFileExtension(name), expected) << name;
}

struct LoadCase {
    const char* name;
    const char* fileName;
    std::optional<Bytes> contents; // none: the file does not exist
    const char* graphicClass; // the picture's graphic afterwards; "" when the load fails
    const char* error; // the message of the failure, with %s for the file's path
};

void PrintTo(const LoadCase& c, std::ostream* out)
{
    *out << c.name;
}

Bytes smallGif()
{
    return vantrelle::test::GifBuilder(2, 2).pixels(2, 2, { 0, 1, 2, 3 }).trailer().bytes();
}
Bytes smallJpeg()
{
    return vantrelle::test::encodeJpeg({}, { 1, 2, 3 });
}

class LoadPictureFileCase : public testing::TestWithParam<LoadCase> { };

TEST_P(LoadPictureFileCase, ChoosesTheClassByExtension)
{
    const LoadCase& c = GetParam();
    ScratchDir dir;
    const std::string path = (dir / c.fileName).string();
    if (c.contents)
        vantrelle::test::writeFile(path, std::string(c.contents->begin(), c.contents->end()));

    int changes = 0;
    TPicture picture([&](TPicture&) { ++changes; });
    auto previous = std::make_unique<TBitmap>(3, 3, 24);
    const TGraphic* previousGraphic = previous.get();
    picture.setGraphic(std::move(previous));
    changes = 0;

    if (*c.error == '\0') {
        LoadPictureFile(picture, path);
        ASSERT_NE(picture.graphic(), nullptr);
        EXPECT_STREQ(picture.graphic()->className(), c.graphicClass);
        EXPECT_EQ(changes, 1);
        return;
    }
    std::string expected = c.error;
    if (const auto at = expected.find("%s"); at != std::string::npos)
        expected.replace(at, 2, path);
    try {
        LoadPictureFile(picture, path);
        FAIL() << "no exception";
    } catch (const vantrelle::Error& e) {
        EXPECT_EQ(std::string(e.what()), expected);
    }
    EXPECT_EQ(picture.graphic(), previousGraphic);
    EXPECT_EQ(changes, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, LoadPictureFileCase,
    testing::Values(LoadCase { "JpgInCapitals", "Tmp.JPG", smallJpeg(), "TJPEGImage", "" },
        LoadCase { "GifReachesTheGIFGraphic", "Tmp.gif", smallGif(), "TGIFGraphic", "" },
        LoadCase { "NoExtensionGivesAnEmptyOlePicture", "Tmp", std::nullopt, "TOleGraphic", "" },
        LoadCase { "EmptyBitmapFile", "Tmp.bmp", Bytes {}, "TBitmap", "" },
        LoadCase { "PngIsRefused", "Tmp.png", smallGif(), "", "Unknown picture file extension (.png)" },
        LoadCase { "MissingFile", "Tmp.gif", std::nullopt, "", "Cannot open file %s" },
        LoadCase { "DamagedGif", "Tmp.gif", Bytes { 'G', 'I', 'F', '8', '9', 'a', 1 }, "", "Premature end of data" },
        LoadCase { "NotABitmap", "Tmp.bmp", Bytes { 'X', 'Y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, "",
            "Bitmap image is not valid" },
        LoadCase { "NotAnIcon", "Tmp.ico", Bytes { 0, 0, 2, 0, 1, 0 }, "", "Icon image is not valid" },
        LoadCase { "NotAMetafile", "Tmp.wmf", Bytes(30, 7), "", "Metafile is not valid" }),
    [](const testing::TestParamInfo<LoadCase>& info) { return info.param.name; });

TEST(Picture, EmptyOlePictureAndCopies)
{
    TPicture picture;
    LoadPictureFile(picture, "Tmp");
    ASSERT_NE(picture.graphic(), nullptr);
    EXPECT_TRUE(picture.graphic()->empty());
    EXPECT_EQ(picture.width(), 0);

    TPicture copy;
    picture.setGraphic(std::make_unique<TBitmap>(4, 2, 8));
    copy.Assign(picture);
    ASSERT_NE(copy.graphic(), picture.graphic());
    EXPECT_EQ(copy.width(), 4);
    EXPECT_EQ(copy.height(), 2);
}

TEST(GraphicClass, InheritsFromItsBases)
{
    EXPECT_TRUE(GraphicClass::of<TGIFGraphic>().inheritsFrom(GraphicClass::of<TGraphic>()));
    EXPECT_TRUE(GraphicClass::of<TJPEGImage>().inheritsFrom(GraphicClass::of<TJPEGImage>()));
    EXPECT_FALSE(GraphicClass::of<TJPEGImage>().inheritsFrom(GraphicClass::of<TBitmap>()));
    EXPECT_EQ(GraphicClass::of<TGraphic>().create(), nullptr);
}

} // namespace
