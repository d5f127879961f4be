#include "CatalogueFixture.h"

#include "JpegEncoder.h"

#include "vantrelle/exchange/Base64.h"
#include "vantrelle/exchange/CatalogueImport.h"
#include "vantrelle/pictures/Bitmap.h"

#include <array>
#include <cstdio>
#include <filesystem>

using namespace vantrelle;
using exchange::test::CatalogueTest;
using store::Bytes;
using vantrelle::test::readFile;
using vantrelle::test::runTool;
using vantrelle::test::writeFile;

namespace {

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

const std::string kAbyss = "ID=1; NameOfMovie=Abyss; Year=1989";

struct ImportCase {
    std::string name;
    std::string file; // its extension decides the format
    std::string content;
    std::string options;
    int exitCode;
    std::string output; // a part of what the tool prints, which it prints exactly once
    std::vector<std::string> rows; // the catalogue afterwards, which held only Abyss before
};

const std::string kA48 = std::string(48, 'a');

const ImportCase kImportCases[] = {
    { "byte-order mark and CRLF", "films.csv", "\xEF\xBB\xBFNameOfMovie,Year\r\nAlien,1979\r\nBrazil,1985\r\n", "", 0,
        "Imported 2 films into Movies.mdb\n",
        { kAbyss, "ID=2; NameOfMovie=Alien; Year=1979", "ID=3; NameOfMovie=Brazil; Year=1985" } },
    { "quoted line breaks and quotes", "films.csv",
        "NameOfMovie,Tagline\r\n\"Alien\",\"In space,\r\nno one \"\"hears\"\"\"\r\n", "", 0, "Imported 1 film ",
        { kAbyss, "ID=2; NameOfMovie=Alien; Tagline=In space,\r\nno one \"hears\"" } },
    { "Windows-1252 text", "films.csv",
        "NameOfMovie,Genre\nAm\xE9lie,\x93"
        "Com\xE9"
        "die\x94\n",
        "", 0, "Imported 1 film ",
        { kAbyss,
            "ID=2; NameOfMovie=Am\xC3\xA9lie; Genre=\xE2\x80\x9C"
            "Com\xC3\xA9"
            "die\xE2\x80\x9D" } },
    { "UTF-8 text", "films.csv", "NameOfMovie\nAm\xC3\xA9lie\n", "", 0, "Imported 1 film ",
        { kAbyss, "ID=2; NameOfMovie=Am\xC3\xA9lie" } },
    { "unknown columns reported once", "films.csv", "NameOfMovie,Rating,Notes\nAlien,5,x\nBrazil,4,y\n", "", 0,
        "vantrelle-tool: ignored the column 'Rating', which the catalogue does not have\n",
        { kAbyss, "ID=2; NameOfMovie=Alien", "ID=3; NameOfMovie=Brazil" } },
    { "--map renames", "films.csv", "Title,Released\nAlien,1979\n", "--map Title=NameOfMovie,released=year", 0,
        "Imported 1 film ", { kAbyss, "ID=2; NameOfMovie=Alien; Year=1979" } },
    { "names in any case", "films.csv", "nameofmovie,YEAR, Genre \nAlien,1979,Horror\n", "", 0, "Imported 1 film ",
        { kAbyss, "ID=2; NameOfMovie=Alien; Genre=Horror; Year=1979" } },
    { "IDs from the catalogue", "films.csv", "ID,NameOfMovie\n1,Alien\n1,Brazil\n", "", 0, "Imported 2 films ",
        { kAbyss, "ID=2; NameOfMovie=Alien", "ID=3; NameOfMovie=Brazil" } },
    { "over-long text cut as the column does", "films.csv",
        "NameOfMovie,Tagline\n" + kA48 + "\xC3\xA9\xC3\xA8\xC3\xAA," + std::string(250, 't') + "\n", "", 0,
        "Imported 1 film ",
        { "ID=2; NameOfMovie=" + kA48 + "\xC3\xA9\xC3\xA8; Tagline=" + std::string(200, 't'), kAbyss } },
    { "empty fields are null, quoted ones empty", "films.csv", "NameOfMovie,Genre,Runtime\nAlien,,\n\"\",\"\",\"\"\n",
        "", 0, "Imported 2 films ", { "ID=3; NameOfMovie=; Genre=", kAbyss, "ID=2; NameOfMovie=Alien" } },
    { "a bad integer", "films.csv", "NameOfMovie,Runtime\nAlien,117\nBrazil,142 min\n", "", 1,
        "vantrelle-tool: films.csv: line 3, column Runtime: '142 min' is not a valid integer value for field "
        "'Runtime'\n",
        { kAbyss } },
    { "a bad integer after a value of two lines", "films.csv", "NameOfMovie,Tagline,Year\nAlien,\"a\nb\",19x\n", "", 1,
        "films.csv: line 3, column Year: '19x' is not a valid integer value for field 'Year'\n", { kAbyss } },
    { "--skip-duplicates", "films.csv",
        "NameOfMovie,Year\nABYSS,1989\n\xC3\x81"
        "byss,1989\nAbyss,1990\nBrazil,1985\nBrazil,1985\n",
        "--skip-duplicates", 0, "Imported 3 films into Movies.mdb\nSkipped 2 films already in the catalogue\n",
        { kAbyss, "ID=2; NameOfMovie=Abyss; Year=1990", "ID=3; NameOfMovie=Brazil; Year=1985",
            "ID=4; NameOfMovie=Brazil; Year=1985" } },
    { "duplicates kept without --skip-duplicates", "films.csv", "NameOfMovie,Year\nAbyss,1989\n", "", 0,
        "Imported 1 film ", { kAbyss, "ID=2; NameOfMovie=Abyss; Year=1989" } },
    { "a quote left open", "films.csv", "NameOfMovie\n\"Alien\nBrazil\n", "", 1,
        "vantrelle-tool: films.csv: line 2: the quoted value that starts here has no closing quote\n", { kAbyss } },
    { "a short record", "films.csv", "NameOfMovie,Year\nAlien,1979\nBrazil\n", "", 1,
        "films.csv: line 3: 1 values, but the header names 2 columns\n", { kAbyss } },
    { "--map to a column the catalogue lacks", "films.csv", "Title\nAlien\n", "--map Title=Name", 1,
        "vantrelle-tool: --map Title=Name: the catalogue has no column 'Name'\n", { kAbyss } },
    { "--map from a column the file lacks", "films.csv", "NameOfMovie\nAlien\n", "--map Tytle=NameOfMovie", 1,
        "vantrelle-tool: --map Tytle=NameOfMovie: the file has no column 'Tytle'\n", { kAbyss } },
    { "two columns for one", "films.csv", "Title,NameOfMovie\nAlien,Brazil\n", "--map title=NameOfMovie", 1,
        "vantrelle-tool: films.csv: line 2: the columns 'Title' and 'NameOfMovie' both fill NameOfMovie\n",
        { kAbyss } },
    { "--map from a key no object has", "films.json", "[{\"NameOfMovie\": \"Alien\"}]", "--map Tytle=NameOfMovie", 1,
        "vantrelle-tool: --map Tytle=NameOfMovie: the file has no column 'Tytle'\n", { kAbyss } },
    { "--map without a column", "films.csv", "Title\nAlien\n", "--map Title", 2,
        "vantrelle-tool: --map takes SOURCE=Column pairs separated by commas, not 'Title'\n", { kAbyss } },
    { "JSON", "films.json",
        "[{\"NameOfMovie\": \"Alien\", \"Year\": 1979, \"Genre\": null, \"rating\": 5},\n"
        " {\"nameofmovie\": \"Am\xE9lie\", \"Runtime\": \"122\", \"rating\": null}]",
        "", 0, "vantrelle-tool: ignored the column 'rating', which the catalogue does not have\n",
        { kAbyss, "ID=2; NameOfMovie=Alien; Year=1979", "ID=3; NameOfMovie=Am\xC3\xA9lie; Runtime=122" } },
    { "JSON: one key in two objects and two cases", "films.json",
        "[{\"NameOfMovie\": \"Alien\"},\n{\"nameofmovie\": \"Brazil\"},\n{\"NAMEOFMOVIE\": \"Cube\", \"NameOfMovie\": "
        "null}]",
        "", 1, "films.json: line 3: the columns 'NameOfMovie' and 'NAMEOFMOVIE' both fill NameOfMovie\n", { kAbyss } },
    { "JSON: a bad integer", "films.json", "[\n{\"NameOfMovie\": \"Alien\",\n \"Year\": 1979.5}\n]", "", 1,
        "vantrelle-tool: films.json: line 3, column Year: '1979.5' is not a valid integer value for field 'Year'\n",
        { kAbyss } },
    { "JSON by --format", "films.txt", "[{\"NameOfMovie\": \"Alien\"}]", "--format json", 0, "Imported 1 film ",
        { kAbyss, "ID=2; NameOfMovie=Alien" } },
    { "JSON read as CSV", "films.txt", "[{\"NameOfMovie\": \"Alien\"}]", "", 0,
        "ignored the column '[{\"NameOfMovie\": \"Alien\"}]', which the catalogue does not have", { kAbyss } },
    { "UTF-16", "films.csv", "\xFF\xFEN\0a\0", "", 1,
        "vantrelle-tool: films.csv: the file is UTF-16 text; save it as UTF-8\n", { kAbyss } },
    { "an empty file", "films.csv", "", "", 0, "Imported 0 films into Movies.mdb\n", { kAbyss } },
};

} // namespace

class Import : public CatalogueTest, public ::testing::WithParamInterface<ImportCase> {
protected:
    void SetUp() override { addFilms("Movies.mdb", { { { "NameOfMovie", std::string("Abyss") }, { "Year", 1989 } } }); }
};

TEST_P(Import, LeavesTheCatalogueAsExpected)
{
    const ImportCase& c = GetParam();
    writeFile(c.file, c.content);
    const auto run = runTool("import " + c.options + " " + c.file);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.all();
    EXPECT_EQ(occurrences(run.all(), c.output), 1u) << run.all();
    EXPECT_EQ(shownRows("Movies.mdb"), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Import, ::testing::ValuesIn(kImportCases), [](const ::testing::TestParamInfo<ImportCase>& info) {
        std::string name;
        for (const char c : info.param.name)
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST_F(Import, RefusesMissingFilesAndArguments)
{
    const vantrelle::test::ToolStep steps[] = {
        { "import", 2, "vantrelle-tool: no file to import given\n" },
        { "import nothing.csv", 1, "vantrelle-tool: Cannot open file nothing.csv\n" },
        { "import --format xml a.csv", 2, "vantrelle-tool: --format takes csv or json\n" },
        { "import a.csv b.mdb c", 2, "vantrelle-tool: unexpected argument 'c'\n" },
    };
    vantrelle::test::expectToolSteps(steps);
    writeFile("films.csv", "NameOfMovie\nAlien\n");
    const auto run = runTool("import films.csv Missing.mdb");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors.substr(0, 51), "vantrelle-tool: Could not find file 'Missing.mdb' i");
}

TEST_F(Import, TellsItsProgressInFilmsAndBytesRead)
{
    std::string csv = "NameOfMovie\n";
    for (int i = 0; i < 600; ++i)
        csv += "Film " + std::to_string(i) + "\n";
    std::vector<std::array<std::size_t, 3>> calls;
    exchange::ImportOptions options;
    options.progress = [&calls](std::size_t films, std::size_t bytesRead, std::size_t bytes) {
        calls.push_back({ films, bytesRead, bytes });
    };
    const auto result = exchange::importMovies(csv, store::connectionStringFor("Movies.mdb"), options);
    EXPECT_EQ(result.imported, 600u);
    const std::vector<std::array<std::size_t, 3>> expected = { { 256, csv.find("Film 256\n"), csv.size() },
        { 512, csv.find("Film 512\n"), csv.size() }, { 600, csv.size(), csv.size() } };
    EXPECT_EQ(calls, expected);
}

namespace {

// Runs `vantrelle-tool ARGUMENTS` with a terminal for both its streams (through script(1)) and gives
// back what the terminal received, with its "\r\n" line ends.
std::string onTerminal(const std::string& arguments)
{
    const std::string command
        = "script -qec '" + std::string(VANTRELLE_TOOL) + " " + arguments + "' /dev/null </dev/null";
    std::string received;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
            received.append(buffer, count);
        ::pclose(pipe);
    }
    return received;
}

} // namespace

// On a terminal, a large import shows one line that it rewrites, ended before what comes after it.
TEST_F(Import, ShowsItsProgressLineOnATerminal)
{
    std::string csv = "NameOfMovie,Year\n";
    for (int i = 0; i < 20000; ++i)
        csv += "A film with a title long enough " + std::to_string(i) + ",1999\n";
    writeFile("films.csv", csv);
    const std::string success = onTerminal("import films.csv");
    EXPECT_EQ(occurrences(success, "\rImporting films: 20000 (100%)\r\nImported 20000 films into Movies.mdb\r\n"), 1u)
        << success;

    writeFile("films.csv", csv + "One film too many,19x9\n");
    const std::string failure = onTerminal("import films.csv");
    EXPECT_EQ(occurrences(failure, "%)\r\nvantrelle-tool: films.csv: line 20002, column Year: '19x9'"), 1u) << failure;
    EXPECT_EQ(shownRows("Movies.mdb").size(), 20001u);
}

namespace {

std::string base64(const std::string& bytes)
{
    std::string text;
    exchange::appendBase64(text, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    return text;
}

// A GIF of one white pixel.
const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00"
                       "\x00\x02\x02\x44\x01\x00;",
    35);

} // namespace

// Covers named by file (relative to the data file's folder) or given as base64: bitmaps are kept byte for byte,
// other pictures are reduced as the `cover` command reduces them.
class ImportCovers : public CatalogueTest {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories("data/pictures");
        pictures::TBitmap deep(5, 3, 24);
        deep.scanLine(0)[0] = 200;
        deep.saveToFile("data/pictures/deep.bmp");
        pictures::TBitmap paletted(4, 4, 8);
        paletted.setPalette({ { 1, 2, 3, 0 }, { 4, 5, 6, 0 } });
        paletted.saveToFile("data/pictures/paletted.bmp");
        test::JpegOptions options;
        options.width = 30;
        options.height = 45;
        const auto jfif = test::encodeJpeg(options, { 10, 120, 230 });
        options.jfif = false;
        const auto exif = test::encodeJpeg(options, { 200, 20, 30 });
        writeFile("data/pictures/poster.jpg", std::string(jfif.begin(), jfif.end()));
        writeFile("data/pictures/exif.jpg", std::string(exif.begin(), exif.end()));
        writeFile("data/pictures/pixel.gif", kGif);
    }

    // What `vantrelle-tool cover` stores for the file.
    std::string reduced(const std::string& file, const std::string& extension = "")
    {
        const auto run
            = runTool("cover " + file + " reduced.bmp" + (extension.empty() ? "" : " --extension " + extension));
        EXPECT_EQ(run.exitCode, 0) << run.all();
        return readFile("reduced.bmp");
    }

    std::string coverOf(const store::MovieRecord& row)
    {
        const auto* bytes = std::get_if<Bytes>(&row[16]);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "(null)";
    }
};

TEST_F(ImportCovers, BitmapsKeptOtherPicturesReduced)
{
    const std::string deep = readFile("data/pictures/deep.bmp");
    const std::string poster = readFile("data/pictures/poster.jpg");
    writeFile("data/films.csv",
        "NameOfMovie,Cover\n"
        "A,pictures/deep.bmp\n"
        "B,pictures/paletted.bmp\n"
        "C,pictures/poster.jpg\n"
        "D,pictures/exif.jpg\n"
        "E,pictures/pixel.gif\n"
        "F," + base64(deep)
            + "\nG," + base64(poster) + "\nH," + base64(kGif) + "\nI,\n");
    const auto run = runTool("import data/films.csv");
    ASSERT_EQ(run.exitCode, 0) << run.all();

    const auto all = rows("Movies.mdb");
    ASSERT_EQ(all.size(), 9u);
    const std::string expected[] = { deep, readFile("data/pictures/paletted.bmp"), reduced("data/pictures/poster.jpg"),
        reduced("data/pictures/exif.jpg", ".jpg"), reduced("data/pictures/pixel.gif"), deep,
        reduced("data/pictures/poster.jpg"), reduced("data/pictures/pixel.gif"), "(null)" };
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(coverOf(all[i]), expected[i]) << "film " << char('A' + i);
    EXPECT_EQ(readFile("data/pictures/deep.bmp"), deep);
    EXPECT_EQ(8, static_cast<unsigned char>(coverOf(all[2])[28])) << "a JPEG becomes a palette bitmap";
}

TEST_F(ImportCovers, ACoverThatIsNoPictureFailsTheImport)
{
    writeFile("data/pictures/broken.bmp", "BM not really");
    writeFile("data/pictures/picture.png", "\x89PNG\r\n\x1A\n");
    const struct {
        std::string cover;
        std::string message;
    } cases[] = {
        { "pictures/broken.bmp", "line 3, column Cover: Bitmap image is not valid\n" },
        { "pictures/picture.png",
            "line 3, column Cover: This is a PNG picture, which cannot be used as a cover: choose a JPEG, GIF, BMP, "
            "ICO, EMF or WMF file\n" },
        { "pictures/missing.jpg",
            "line 3, column Cover: there is no cover file " + (m_dir / "data/pictures/missing.jpg").string()
                + ", and the text is not base64 picture data\n" },
        { "AAAA", "line 3, column Cover: not a picture that a cover can be made of\n" },
    };
    for (const auto& c : cases) {
        writeFile("data/films.csv", "NameOfMovie,Cover\nA,pictures/deep.bmp\nB," + c.cover + "\n");
        const auto run = runTool("import data/films.csv");
        EXPECT_EQ(run.exitCode, 1) << c.cover;
        EXPECT_EQ(run.errors, "vantrelle-tool: data/films.csv: " + c.message);
        EXPECT_TRUE(rows("Movies.mdb").empty()) << c.cover;
    }
}
