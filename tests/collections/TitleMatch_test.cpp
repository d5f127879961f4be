// Matching films of a file against a title index of films that share titles across years, made for the test
// from the title datasets' own format by `vantrelle-tool titles import`.
#include "vantrelle/collections/TitleMatch.h"

#include "TestFiles.h"
#include "ToolRun.h"
#include "vantrelle/titleindex/TitleIndex.h"

#include <gtest/gtest.h>

using namespace vantrelle;
using namespace vantrelle::collections;

namespace {

// tconst, primaryTitle, originalTitle, startYear, numVotes
constexpr const char* kTitles[][5] = {
    { "tt0300001", "The Long Road", "The Long Road", "1990", "9000" },
    { "tt0300002", "The Long Road", "The Long Road", "2004", "7000" },
    { "tt0300003", "The Long Road Home", "The Long Road Home", "1991", "8000" },
    { "tt0300004", "M\u00fcnchen bei Nacht", "M\u00fcnchen bei Nacht", "1988", "500" },
    { "tt0300005", "Blue Harbour", "Blue Harbour", "2010", "600" },
    { "tt0300006", "Dark Water", "Honogurai mizu no soko kara", "2002", "5000" },
    { "tt0300007", "Dark Water Rising", "Dark Water Rising", "2002", "400" },
};

class TitleMatchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_folder = new ScratchDir("match");
        std::string basics = "tconst\ttitleType\tprimaryTitle\toriginalTitle\tisAdult\tstartYear\tendYear\t"
                             "runtimeMinutes\tgenres\n";
        std::string ratings = "tconst\taverageRating\tnumVotes\n";
        for (const auto& t : kTitles) {
            basics += std::string(t[0]) + "\tmovie\t" + t[1] + "\t" + t[2] + "\t0\t" + t[3] + "\t\\N\t90\tDrama\n";
            ratings += std::string(t[0]) + "\t6.0\t" + t[4] + "\n";
        }
        test::writeFile(*s_folder / "title.basics.tsv", basics);
        test::writeFile(*s_folder / "title.ratings.tsv", ratings);
        test::writeFile(*s_folder / "title.crew.tsv", "tconst\tdirectors\twriters\n");
        test::writeFile(*s_folder / "title.principals.tsv", "tconst\tordering\tnconst\tcategory\tjob\tcharacters\n");
        test::writeFile(*s_folder / "name.basics.tsv",
            "nconst\tprimaryName\tbirthYear\tdeathYear\tprimaryProfession\tknownForTitles\n");
        const test::ToolRun run
            = test::runTool("titles import " + s_folder->path().string() + " -o " + (*s_folder / "titles.db").string());
        ASSERT_EQ(run.exitCode, 0) << run.all();
        s_index = new titleindex::TitleIndex(*s_folder / "titles.db");
    }

    static void TearDownTestSuite()
    {
        delete s_index;
        delete s_folder;
    }

    static ScratchDir* s_folder;
    static titleindex::TitleIndex* s_index;
};

ScratchDir* TitleMatchTest::s_folder = nullptr;
titleindex::TitleIndex* TitleMatchTest::s_index = nullptr;

FileFilm film(
    std::string title, std::optional<int> year = {}, std::string original = {}, std::optional<std::int64_t> number = {})
{
    FileFilm film;
    film.title = std::move(title);
    film.year = year;
    film.originalTitle = std::move(original);
    film.number = number;
    return film;
}

// "matched 300001", "ambiguous 300001 300002", "not-found".
std::string shown(const TitleMatch& match)
{
    std::string out(statusName(match.status));
    if (match.number)
        out += " " + std::to_string(*match.number);
    for (const Candidate& candidate : match.candidates)
        out += " " + std::to_string(candidate.number);
    return out;
}

TEST_F(TitleMatchTest, ByNumberOrByTitleAndYear)
{
    const struct {
        FileFilm film;
        std::string match;
    } cases[] = {
        { film("The Long Road", 1990), "matched 300001" },
        { film("The Long Road", 2004), "matched 300002" },
        // A year one off still matches, the closer first; an exact whole title before one that begins with it.
        { film("The Long Road", 2005), "matched 300002" },
        { film("The Long Road", 1991), "matched 300001" },
        { film("the long road home", 1991), "matched 300003" },
        { film("THE LONG ROAD HOME"), "matched 300003" },
        // Two films of one title and no year to tell them apart: never picked silently.
        { film("The Long Road"), "ambiguous 300001 300002" },
        { film("The Long", 1990), "matched 300001" },
        { film("The Long"), "ambiguous 300001 300003 300002" },
        { film("The Long Road", 1997), "not-found" },
        { film("Nowhere At All"), "not-found" },
        { film(""), "not-found" },
        // German users' spelling of umlauts, and accents folded as the search folds them.
        { film("Muenchen bei Nacht"), "matched 300004" },
        { film("MUNCHEN BEI NACHT", 1988), "matched 300004" },
        { film("Blue Harbour", 2010), "matched 300005" },
        // The original title, asked when the title finds nothing.
        { film("Das dunkle Wasser", 2002, "Dark Water"), "matched 300006" },
        { film("Honogurai mizu no soko kara", 2002), "matched 300006" },
        { film("Dark Water", 2002), "matched 300006" },
        // A title number matches that title exactly, whatever the title says.
        { film("The Long Road", {}, {}, 300002), "matched 300002" },
        { film("The Long Road", {}, {}, 399999), "not-found" },
    };
    const TitleMatcher matcher(*s_index);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.film.title + (c.film.year ? " " + std::to_string(*c.film.year) : ""));
        EXPECT_EQ(shown(matcher.match(c.film)), c.match);
    }
}

TEST_F(TitleMatchTest, CandidatesCarryTheirTitleAndYear)
{
    const TitleMatch match = TitleMatcher(*s_index).match(film("The Long Road"));
    const std::vector<Candidate> expected = { { 300001, "The Long Road", 1990 }, { 300002, "The Long Road", 2004 } };
    EXPECT_EQ(match.candidates, expected);
}

} // namespace
