// `vantrelle-tool demo DIR --posters FOLDER`: the stand-in title service's films, each with its own poster brought
// in by the cover import, listed in the catalogue's title order.

#include "TestFiles.h"
#include "ToolRun.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/store/CoverValue.h"
#include "vantrelle/store/MoviesQuery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using vantrelle::test::runTool;
using vantrelle::test::ToolRun;

namespace {

const fs::path kPosters = VANTRELLE_DEMO_POSTERS;

// The stand-in's title numbers by title, from its title data ("tt0100001" gives "0100001").
std::map<std::string, std::string> standInNumbers()
{
    std::ifstream basics(kPosters.parent_path() / "title.basics.tsv");
    std::map<std::string, std::string> numbers;
    std::string line;
    std::getline(basics, line); // the column names
    while (std::getline(basics, line)) {
        std::istringstream columns(line);
        std::string tconst, type, title;
        std::getline(columns, tconst, '\t');
        std::getline(columns, type, '\t');
        std::getline(columns, title, '\t');
        numbers[title] = tconst.substr(2);
    }
    return numbers;
}

fs::path posterOf(const std::string& number)
{
    for (const char* extension : { ".jpg", ".gif" })
        if (fs::exists(kPosters / (number + extension)))
            return kPosters / (number + extension);
    return {};
}

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

} // namespace

TEST(DemoCatalogue, EveryFilmHasItsPosterAsAPaletteBitmapAndTheTitlesFollowTheLanguage)
{
    const vantrelle::ScratchDir dir;
    const ToolRun run = runTool("demo " + quoted(dir / "demo") + " --titles " + quoted(VANTRELLE_DEMO_TITLES)
        + " --posters " + quoted(kPosters));
    ASSERT_EQ(run.exitCode, 0) << run.all();
    EXPECT_EQ(run.output, "Created " + (dir / "demo" / "Movies.mdb").string() + " with 15 films and their posters\n");

    const auto numbers = standInNumbers();
    vantrelle::store::MoviesQuery query;
    query.ConnectionString = vantrelle::store::connectionStringFor(dir / "demo" / "Movies.mdb");
    query.open();
    std::vector<std::string> titles;
    for (query.first(); !query.eof(); query.next()) {
        const std::string title = query.aqMoviesNameOfMovie.asString();
        titles.push_back(title);
        SCOPED_TRACE(title);
        ASSERT_TRUE(numbers.contains(title)) << "not a film of the stand-in's title data";
        const fs::path poster = posterOf(numbers.at(title));
        ASSERT_FALSE(poster.empty()) << "the stand-in has no poster for it";

        const std::optional<vantrelle::store::Bytes> cover = query.aqMoviesCover.asBytes();
        ASSERT_TRUE(cover);
        vantrelle::pictures::TBitmap bitmap;
        bitmap.loadFromBlob(*cover);
        EXPECT_EQ(bitmap.bitsPerPixel(), 8);
        EXPECT_FALSE(bitmap.palette().empty());
        EXPECT_EQ(*cover, vantrelle::store::importCoverPicture(poster, poster.extension().string()));
    }
    // Accented initials sort with their letters, as the user's language has them, not after "Z".
    EXPECT_EQ(titles,
        (std::vector<std::string> { "\xC3\x81ngel del Norte", "Eastern Tide", "\xC3\x89t\xC3\xA9 \xC3\xA0 Montreuil",
            "Evening Wire", "Harbour Lights", "Harbour Lights II: Undertow", "\xC3\x8Ele de Sable",
            "Lanterns Over Vael", "Midwinter Circus", "Night Ferry to Brellin", "Orbit of Small Things",
            "Paper Kingdoms", "Signal Lost", "The Glass Orchard", "Twelve Bells" }));
}

// A poster that cannot be had fails the command before the catalogue is made.
TEST(DemoCatalogue, APosterThatCannotBeHadLeavesNoCatalogue)
{
    struct Case {
        const char* name;
        void (*spoil)(const fs::path& posters);
        int exitCode;
        std::string error;
    };
    const Case cases[] = {
        { "no folder", [](const fs::path& posters) { fs::remove_all(posters); }, 1, "\" does not exist" },
        { "a poster missing", [](const fs::path& posters) { fs::remove(posters / "0100014.gif"); }, 1,
            "\" has no poster for \"\xC3\x89t\xC3\xA9 \xC3\xA0 Montreuil\" (0100014)" },
        { "a poster that is no picture",
            [](const fs::path& posters) {
                vantrelle::test::writeFile(posters / "0100003.jpg", "<html>Not Found</html>");
            },
            1, "JPEG error #53" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const vantrelle::ScratchDir dir;
        fs::copy(kPosters, dir / "posters");
        c.spoil(dir / "posters");
        const ToolRun run = runTool("demo " + quoted(dir / "demo") + " --titles " + quoted(VANTRELLE_DEMO_TITLES)
            + " --posters " + quoted(dir / "posters"));
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_NE(run.errors.find(c.error), std::string::npos) << run.errors;
        EXPECT_FALSE(fs::exists(dir / "demo" / "Movies.mdb"));
    }
    const ToolRun run = runTool("demo somewhere --posters");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors.substr(0, 41), "vantrelle-tool: --posters needs a folder\n");
}
