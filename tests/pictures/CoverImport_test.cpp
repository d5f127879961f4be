#include "GIFBuilder.h"
#include "JpegEncoder.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/ColorReduction.h"
#include "vantrelle/pictures/CoverImport.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/JPEGImage.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

using namespace vantrelle::pictures;
using vantrelle::test::Bytes;
using vantrelle::test::encodeJpeg;
using vantrelle::test::readFile;
using vantrelle::test::writeFile;
namespace fs = std::filesystem;

namespace {

std::string text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// A JPEG of one colour; JFIF files begin FF D8 FF E0 00 10 "JFIF" 00.
Bytes jpegFile(bool jfif)
{
    vantrelle::test::JpegOptions options;
    options.width = 24;
    options.height = 16;
    options.jfif = jfif;
    return encodeJpeg(options, { 250, 30, 40 });
}

Bytes gifFile()
{
    return vantrelle::test::GifBuilder(2, 2).pixels(2, 2, { 0, 1, 2, 3 }).trailer().bytes();
}

TBitmap trueColourBitmap()
{
    TBitmap bitmap(20, 10, 24);
    for (int y = 0; y < bitmap.height(); ++y)
        for (std::size_t x = 0; x < bitmap.rowBytes(); ++x)
            bitmap.scanLine(y)[x] = static_cast<std::uint8_t>(x * 11 + y * 29);
    return bitmap;
}

Bytes bmpFile()
{
    return trueColourBitmap().saveToBytes();
}

// The cover the import must make of a true-colour picture: its bitmap reduced on its own.
Bytes reducedCover(TBitmap source)
{
    return ReduceToPaletteBitmap(source, TReductionMode::OptimalWithSystemColors, TDitherKind::NearestColor)
        ->saveToBytes();
}

Bytes reducedJpegCover(const Bytes& file)
{
    TJPEGImage image;
    Stream stream(file);
    image.loadFromStream(stream);
    return reducedCover(image.Bitmap());
}

// The 8-bit bitmap a GIF picture of gifFile() gives: its pixels with its own four colours.
Bytes gifCover()
{
    TBitmap expected(2, 2, 8);
    expected.setPalette({ { 0, 0, 0, 0 }, { 255, 0, 0, 0 }, { 0, 255, 0, 0 }, { 0, 0, 255, 0 } });
    expected.setColorsUsed(4);
    expected.scanLine(0)[1] = 1;
    expected.scanLine(1)[0] = 2;
    expected.scanLine(1)[1] = 3;
    return expected.saveToBytes();
}

// "JFIF" starting at `offset` of a file that is otherwise filler text.
Bytes jfifAt(std::size_t offset)
{
    std::string file(offset, 'x');
    file += "JFIF";
    file.append(60, 'x');
    return Bytes(file.begin(), file.end());
}

Bytes bytesOf(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

const std::string notAJpeg = "JPEG error #53"; // libjpeg's JERR_NO_SOI: the data do not begin with FF D8

class CoverImportTest : public testing::Test {
protected:
    CoverImportTest()
    {
        auto marker = std::make_unique<TBitmap>(1, 1, 8);
        previous = marker.get();
        picture.setGraphic(std::move(marker));
        if (const char* tmp = std::getenv("TMPDIR"))
            previousTmp = tmp;
        ::setenv("TMPDIR", tempRoot.path().c_str(), 1);
    }
    ~CoverImportTest() override
    {
        if (previousTmp)
            ::setenv("TMPDIR", previousTmp->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

    // What the imports left in the system's temporary folder.
    std::vector<std::string> leftInTemp() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(tempRoot.path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    // The BMP bytes the picture would be stored as; empty for an empty bitmap, "no bitmap" otherwise.
    std::string cover() const
    {
        const auto* bitmap = dynamic_cast<const TBitmap*>(picture.graphic());
        return bitmap ? text(bitmap->saveToBytes()) : "no bitmap";
    }

    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Imports and gives the failure's message, or "" when it succeeds.
    std::string import(const std::string& fileName)
    {
        try {
            ImportCoverFile(picture, extension, fileName);
            return "";
        } catch (const vantrelle::Error& e) {
            return e.what();
        }
    }

    vantrelle::ScratchDir dir;
    vantrelle::test::ScopedWorkingDir workingDir { dir.path() };
    vantrelle::ScratchDir tempRoot { "temp-root" }; // the imports' TMPDIR
    std::optional<std::string> previousTmp;
    TPicture picture;
    const TGraphic* previous = nullptr;
    std::string extension;
};

struct ImportCase {
    const char* name;
    Bytes file;
    std::string extensionBefore;
    std::string extensionAfter;
    std::string error; // "" when the import succeeds
    Bytes cover; // on success: the stored bytes, empty for an empty cover
};

void PrintTo(const ImportCase& c, std::ostream* out)
{
    *out << c.name;
}

class CoverImportCases : public CoverImportTest, public testing::WithParamInterface<ImportCase> { };

TEST_P(CoverImportCases, RecognisesCopiesLoadsAndReduces)
{
    const ImportCase& c = GetParam();
    writeFile("poster", text(c.file));
    extension = c.extensionBefore;

    EXPECT_EQ(c.error, import("poster"));

    EXPECT_EQ(c.extensionAfter, extension);
    EXPECT_EQ(std::vector<std::string> { "poster" }, files());
    EXPECT_EQ(std::vector<std::string> {}, leftInTemp()) << "the private copy goes on every path";
    EXPECT_EQ(text(c.file), readFile("poster"));
    if (c.error.empty())
        EXPECT_EQ(text(c.cover), cover());
    else
        EXPECT_EQ(previous, picture.graphic()) << "a failed load keeps the previous picture";
}

INSTANTIATE_TEST_SUITE_P(Files, CoverImportCases,
    testing::Values(
        // Zero bytes right after the JPEG markers do not end the search for "JFIF".
        ImportCase { "JfifJpeg", jpegFile(true), "", ".jpg", "", reducedJpegCover(jpegFile(true)) },
        ImportCase { "JfifJpegAfterGif", jpegFile(true), ".gif", ".jpg", "", reducedJpegCover(jpegFile(true)) },
        ImportCase { "Gif", gifFile(), ".jpg", ".gif", "", gifCover() },
        ImportCase {
            "ExifJpegAfterJpegPoster", jpegFile(false), ".jpg", ".jpg", "", reducedJpegCover(jpegFile(false)) },
        // A JPEG is known by its first marker too: an Exif file, as cameras write, has no "JFIF".
        ImportCase { "ExifJpegFirst", jpegFile(false), "", ".jpg", "", reducedJpegCover(jpegFile(false)) },
        ImportCase { "ExifJpegAfterGif", jpegFile(false), ".gif", ".jpg", "", reducedJpegCover(jpegFile(false)) },
        ImportCase { "BitmapFirst", bmpFile(), "", ".bmp", "", reducedCover(trueColourBitmap()) },
        ImportCase { "BitmapAfterBmpPoster", bmpFile(), ".bmp", ".bmp", "", reducedCover(trueColourBitmap()) },
        ImportCase { "BitmapAfterJpeg", bmpFile(), ".jpg", ".bmp", "", reducedCover(trueColourBitmap()) },
        ImportCase { "PngAfterGif", bytesOf("\x89PNG\r\n\x1a\n"), ".gif", ".gif",
            "This is a PNG picture, which cannot be used as a cover: choose a JPEG, GIF, BMP, ICO, EMF or WMF file",
            {} },
        ImportCase { "JfifAtOffset97", jfifAt(97), "", ".jpg", notAJpeg, {} },
        ImportCase { "JfifAtOffset98", jfifAt(98), "", "", "", {} },
        ImportCase { "GifAndJfif", bytesOf("GIF89a JFIF"), "", ".jpg", notAJpeg, {} },
        ImportCase { "ThreeByteGif", bytesOf("GIF"), "", ".gif", "Premature end of data", {} },
        ImportCase { "CaseMatters", bytesOf("gif jfif"), ".png", ".png", "Unknown picture file extension (.png)", {} },
        ImportCase { "EmptyFile", {}, "", "", "", {} }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CoverImportTest, DamagedImageDataFailInTheConversionAndTheCopyIsDeleted)
{
    // The first component names quantization table 3, which the file never defines: the header reads
    // well, the decoder fails. SOF0: FF C0, length, precision, height, width, count, then id, sampling, table.
    Bytes file = jpegFile(true);
    const std::uint8_t marker[] = { 0xFF, 0xC0 };
    const auto sof = std::search(file.begin(), file.end(), std::begin(marker), std::end(marker));
    ASSERT_NE(sof, file.end());
    sof[12] = 3;
    writeFile("poster.jpg", text(file));

    EXPECT_EQ("JPEG error #52", import("poster.jpg"));

    EXPECT_EQ(".jpg", extension);
    EXPECT_EQ(std::vector<std::string> { "poster.jpg" }, files());
    ASSERT_NE(nullptr, dynamic_cast<const TJPEGImage*>(picture.graphic())) << "the loaded picture stays";
}

TEST_F(CoverImportTest, AFileThatCannotBeOpenedChangesNothing)
{
    fs::create_directory("folder");
    writeFile("plain", "JFIF");
    fs::create_symlink("loop", "loop");
    struct {
        std::string fileName;
        std::string error;
    } const cases[] = {
        { "missing.jpg", "File not found" },
        { "absent/poster.jpg", "Invalid filename" },
        { "plain/poster.jpg", "Invalid filename" },
        { "folder", "File access denied" },
        { "loop", "I/O error " + std::to_string(ELOOP) },
    };
    extension = ".bmp";
    for (const auto& c : cases) {
        EXPECT_EQ(c.error, import(c.fileName)) << c.fileName;
        EXPECT_EQ(".bmp", extension);
        EXPECT_EQ(previous, picture.graphic());
    }
    EXPECT_EQ((std::vector<std::string> { "folder", "loop", "plain" }), files());
}

// Reading a picture needs read access only, and the working directory is never written to: a picture that the user
// may read but not change, in a folder they cannot write (a read-only medium, a folder of someone else's), is
// imported.
TEST_F(CoverImportTest, AFileTheUserMayOnlyReadIsImportedFromAFolderTheyCannotWrite)
{
    writeFile("poster.jpg", text(jpegFile(true)));
    fs::permissions("poster.jpg", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir.path(),
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read | fs::perms::group_exec
            | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(tempRoot.path(), fs::perms::all | fs::perms::sticky_bit);
    const std::string outcome = vantrelle::test::runUnprivileged([this] {
        const std::string error = import("poster.jpg");
        return error.empty() ? extension + " " + std::to_string(cover() == text(reducedJpegCover(jpegFile(true))))
                             : error;
    });
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(".jpg 1", outcome);
    EXPECT_EQ(std::vector<std::string> { "poster.jpg" }, files());
    EXPECT_EQ(std::vector<std::string> {}, leftInTemp());
}

// Started from the desktop, the working directory is the user's home: files of theirs that bear the names of the
// temporary copies are neither overwritten nor deleted, whether the import succeeds or fails, and one of them can
// itself be imported.
TEST_F(CoverImportTest, TheUsersFilesNamedLikeTheTemporaryCopiesAreNeverTouched)
{
    const std::vector<std::string> own = { "Picture.tmp", "Tmp", "Tmp.gif", "Tmp.jpg" };
    for (const std::string& name : own)
        writeFile(name, "notes of the user's in " + name);
    writeFile("poster.jpg", text(jpegFile(true)));
    writeFile("poster.bmp", text(bmpFile()));
    const std::string page = "<html><body>Not Found</body></html>";

    EXPECT_EQ("", import("poster.jpg"));
    EXPECT_EQ("", import("poster.bmp"));
    extension = ".jpg";
    EXPECT_EQ(notAJpeg, import("Tmp.jpg")) << "not a picture: loaded as the remembered JPEG";
    extension = "";
    EXPECT_EQ("", import("Tmp.jpg")) << "not a picture, nothing remembered: an empty picture";
    importDownloadedCover(picture, extension, gifFile());
    EXPECT_EQ(gifCover(), bytesOf(cover()));
    extension = ".jpg";
    EXPECT_THROW(importDownloadedCover(picture, extension, bytesOf(page)), EJPEG);

    for (const std::string& name : own)
        EXPECT_EQ("notes of the user's in " + name, readFile(name)) << name;
    EXPECT_EQ(std::vector<std::string> {}, leftInTemp());
}

TEST_F(CoverImportTest, ADownloadIsWrittenImportedAndDeleted)
{
    extension = ".jpg"; // from the poster URL
    importDownloadedCover(picture, extension, jpegFile(false));
    EXPECT_EQ(text(reducedJpegCover(jpegFile(false))), cover());
    EXPECT_EQ(std::vector<std::string> {}, files());

    importDownloadedCover(picture, extension, gifFile());
    EXPECT_EQ(".gif", extension);
    EXPECT_EQ(gifCover(), bytesOf(cover()));
    EXPECT_EQ(std::vector<std::string> {}, files());
    EXPECT_EQ(std::vector<std::string> {}, leftInTemp());
}

TEST_F(CoverImportTest, AServerErrorPageFailsAndLeavesNothing)
{
    extension = ".jpg";
    const std::string page = "<html><head><title>404 Not Found</title></head><body>Not Found</body></html>";
    try {
        importDownloadedCover(picture, extension, bytesOf(page));
        FAIL() << "no exception";
    } catch (const EJPEG& e) {
        EXPECT_EQ(notAJpeg, e.what());
    }
    EXPECT_EQ(previous, picture.graphic());
    EXPECT_EQ(std::vector<std::string> {}, files());
    EXPECT_EQ(std::vector<std::string> {}, leftInTemp());
}

TEST_F(CoverImportTest, NoPrivateFolderMeansNoImport)
{
    ::setenv("TMPDIR", (tempRoot.path() / "missing").c_str(), 1);
    writeFile("poster.gif", text(gifFile()));
    for (const auto& attempt :
        std::vector<std::function<void()>> { [&] { importDownloadedCover(picture, extension, gifFile()); },
            [&] { ImportCoverFile(picture, extension, "poster.gif"); } }) {
        try {
            attempt();
            ADD_FAILURE() << "no exception";
        } catch (const vantrelle::Error& e) {
            EXPECT_TRUE(std::string_view(e.what()).starts_with("Cannot create a temporary folder")) << e.what();
        }
        EXPECT_EQ(previous, picture.graphic());
    }
    EXPECT_EQ(std::vector<std::string> { "poster.gif" }, files());
}

} // namespace
