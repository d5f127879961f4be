#include "CatalogueFixture.h"
#include "OtherProgramSql.h"

#include "vantrelle/exchange/Base64.h"
#include "vantrelle/pictures/Bitmap.h"

using namespace vantrelle;
using exchange::test::CatalogueTest;
using store::Bytes;
using vantrelle::test::readFile;
using vantrelle::test::runTool;

namespace {

Bytes smallBitmap(int bitsPerPixel)
{
    pictures::TBitmap bitmap(3, 2, bitsPerPixel);
    if (bitsPerPixel <= 8)
        bitmap.setPalette({ { 255, 0, 0, 0 }, { 0, 0, 255, 0 } });
    bitmap.scanLine(1)[0] = 1;
    return bitmap.saveToBytes();
}

std::string base64(const Bytes& bytes)
{
    std::string text;
    exchange::appendBase64(text, bytes);
    return text;
}

} // namespace

class Export : public CatalogueTest {
protected:
    void SetUp() override
    {
        addFilms("Movies.mdb",
            { { { "NameOfMovie", std::string("Brazil") }, { "Year", 1985 }, { "Cover", m_cover } },
                { { "NameOfMovie", std::string("Alien") }, { "Year", 1979 },
                    { "Genre", std::string("Sci-Fi, Horror") } } });
    }

    const Bytes m_cover = smallBitmap(8);
};

TEST_F(Export, WritesTheChosenColumnsInTitleOrder)
{
    const struct {
        std::string arguments;
        std::string output; // what the tool prints
        std::string file; // what it writes to out.* (none when empty)
    } cases[] = {
        { "export --fields nameofmovie,Year,Genre -o out.csv", "Exported 2 films to out.csv\n",
            "NameOfMovie,Year,Genre\r\nAlien,1979,\"Sci-Fi, Horror\"\r\nBrazil,1985,\r\n" },
        { "export --fields Year,Cover Movies.mdb", "Year,Cover\r\n1979,\r\n1985," + base64(m_cover) + "\r\n", "" },
        { "export --fields NameOfMovie,Genre,Cover -o out.json", "Exported 2 films to out.json\n",
            "[\n{\"NameOfMovie\": \"Alien\", \"Genre\": \"Sci-Fi, Horror\", \"Cover\": null},\n"
            "{\"NameOfMovie\": \"Brazil\", \"Genre\": null, \"Cover\": \""
                + base64(m_cover) + "\"}\n]\n" },
        { "export --format json --fields NameOfMovie,Cover --covers pictures -o out.txt",
            "Exported 2 films to out.txt\n",
            "[\n{\"NameOfMovie\": \"Alien\", \"Cover\": null},\n"
            "{\"NameOfMovie\": \"Brazil\", \"Cover\": \"pictures/1.bmp\"}\n]\n" },
        { "export --fields ID,Cover --covers pictures -o sub/../out.csv", "Exported 2 films to sub/../out.csv\n",
            "ID,Cover\r\n2,\r\n1,pictures/1.bmp\r\n" },
    };
    std::filesystem::create_directory("sub");
    for (const auto& c : cases) {
        const auto run = runTool(c.arguments);
        EXPECT_EQ(run.exitCode, 0) << c.arguments << "\n" << run.errors;
        EXPECT_EQ(run.output, c.output) << c.arguments;
        if (!c.file.empty()) {
            const std::string written = "out" + std::filesystem::path(c.arguments).extension().string();
            EXPECT_EQ(readFile(written), c.file) << c.arguments;
        }
    }
    const std::string bytes = readFile("pictures/1.bmp");
    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), m_cover);
    EXPECT_FALSE(std::filesystem::exists("pictures/2.bmp")) << "a film without a cover has no file";
}

TEST_F(Export, FollowsTheListsOrderAndWarnsOfValuesItCannotRead)
{
    addFilms("Movies.mdb",
        { { { "NameOfMovie", std::string("Fargo") } }, { { "NameOfMovie", std::string("\xC3\x89t\xC3\xA9") } } });
    ASSERT_EQ(
        vantrelle::test::runSql("Movies.mdb", "UPDATE Movies SET Year = '19x9' WHERE NameOfMovie = 'Brazil'"), "");

    const auto run = runTool("export --fields NameOfMovie,Year");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.output, "NameOfMovie,Year\r\nAlien,1979\r\nBrazil,\r\n\xC3\x89t\xC3\xA9,\r\nFargo,\r\n");
    EXPECT_NE(run.errors.find("The column Year of the film with ID 1, \"Brazil\", holds '19x9', which is not a "
                              "32-bit integer"),
        std::string::npos)
        << run.errors;
}

TEST_F(Export, CoverFilesAreNamedFromTheFolderOfTheFileWritten)
{
    std::filesystem::create_directories("data/csv");
    const auto run = runTool("export --fields Cover --covers pictures -o data/csv/films.csv");
    ASSERT_EQ(run.exitCode, 0) << run.all();
    EXPECT_EQ(readFile("data/csv/films.csv"), "Cover\r\n\r\n../../pictures/1.bmp\r\n");
}

TEST_F(Export, RefusesUnknownFieldsAndFormats)
{
    const vantrelle::test::ToolStep steps[] = {
        { "export --fields NameOfMovie,Rating", 1, "vantrelle-tool: Field 'Rating' not found\n" },
        { "export --fields Year,year", 1, "vantrelle-tool: Field 'Year' is given twice\n" },
        { "export --format xml", 2, "vantrelle-tool: --format takes csv or json\n" },
        { "export Movies.mdb Other.mdb", 2, "vantrelle-tool: unexpected argument 'Other.mdb'\n" },
        { "export Missing.mdb -o out.csv", 1, "vantrelle-tool: Could not find file 'Missing.mdb' in the folder '" },
        { "export Movies.mdb -o ./Movies.mdb", 1,
            "vantrelle-tool: The output file ./Movies.mdb is the catalogue itself; it is left as it is\n" },
    };
    vantrelle::test::expectToolSteps(steps);
    EXPECT_FALSE(std::filesystem::exists("out.csv")) << "nothing is written for a catalogue that cannot be read";
    EXPECT_EQ(rows("Movies.mdb").size(), 2u) << "the catalogue is never written over";
}

// Export, then import into an empty catalogue: every column of every row comes back, the IDs aside.
class RoundTrip : public CatalogueTest, public ::testing::WithParamInterface<std::string> { };

TEST_P(RoundTrip, GivesIdenticalRows)
{
    Bytes prefixed = { 1, 0, 0, 1, 0, 0, 0, 0 }; // the optional graphic header before a BMP file
    const Bytes deep = smallBitmap(24);
    prefixed.insert(prefixed.end(), deep.begin(), deep.end());
    prefixed[4] = static_cast<std::uint8_t>(deep.size());
    std::string longTagline;
    for (int i = 0; i < 40; ++i)
        longTagline += "\xC3\xA9,\"\r\n";
    addFilms("Movies.mdb",
        {
            { { "NameOfMovie", std::string("Alien, \"the\" one") }, { "Genre", std::string("Sci-Fi\r\nHorror") },
                { "Director", std::string("Ridley Scott") }, { "Tagline", std::string("In space\nno one hears") },
                { "Runtime", 117 }, { "Format", std::string("") }, { "NoOfCds", -2147483647 - 1 },
                { "CastMemberName1", std::string("Sigourney Weaver") }, { "CastMemberName2", std::string("null") },
                { "CastMemberName3", std::string("=1+1") }, { "CastMemberName4", std::string("  spaced  ") },
                { "Character1", std::string("Ripley") }, { "Character2", std::string("\xE6\x97\xA5\xE6\x9C\xAC") },
                { "Character3", std::string(",") }, { "Character4", std::string("\"") }, { "Cover", smallBitmap(8) },
                { "Year", 1979 } },
            {}, // every column null
            { { "NameOfMovie", std::string("") }, { "Cover", Bytes {} }, { "Year", 2147483647 },
                { "Tagline", longTagline } },
            { { "NameOfMovie", std::string("Brazil") }, { "Cover", prefixed } },
            { { "NameOfMovie", std::string("Zed") }, { "Cover", deep }, { "Runtime", 0 } },
        });
    const std::string arguments = GetParam();
    std::filesystem::create_directory("out");
    const auto exported = runTool("export " + arguments);
    ASSERT_EQ(exported.exitCode, 0) << exported.all();
    store::createCatalogue("Copy.mdb");
    const auto imported = runTool(
        "import out/films." + std::string(arguments.find("json") != std::string::npos ? "json" : "csv") + " Copy.mdb");
    ASSERT_EQ(imported.exitCode, 0) << imported.all();
    EXPECT_EQ(imported.output, "Imported 5 films into Copy.mdb\n");

    auto original = rows("Movies.mdb");
    auto copy = rows("Copy.mdb");
    ASSERT_EQ(copy.size(), original.size());
    for (std::size_t i = 0; i < original.size(); ++i) {
        original[i][0] = copy[i][0] = {};
        EXPECT_EQ(copy[i], original[i]) << "row " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
    ::testing::Values("-o out/films.csv", "--format json -o out/films.json", "--covers out/covers -o out/films.csv",
        "--covers covers -o out/films.json"));
