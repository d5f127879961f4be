// A dataset in the shape of the published files: rows sorted by number as text, so 7- and 8-digit
// numbers interleave (tt1047001 < tt10470010 < tt1047002); the principals of a title in ordering order
// as text (10 before 2); JSON escapes and several characters per cast entry; double quotes in titles,
// jobs and names; people missing from name.basics; short years, empty professions, \N where values may
// be missing; and one malformed row among thousands in two of the files.

#include "IndexFixture.h"
#include "ToolRun.h"
#include "vantrelle/titledata/DatasetFormat.h"
#include "vantrelle/titledata/Import.h"
#include "vantrelle/titleindex/TitleIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <set>

using namespace vantrelle;
using namespace vantrelle::titledata;
using namespace vantrelle::titleindex;
namespace fs = std::filesystem;

namespace {

std::string numbered(const char* prefix, std::uint32_t number)
{
    char text[24];
    std::snprintf(text, sizeof text, "%s%07u", prefix, number);
    return text;
}

struct PublishedDataset {
    std::map<std::string, std::string> files; // by dataset name, header first
    std::vector<Title> films; // every title that is not an episode, as it must be served
    std::uint64_t badBasicsLine = 0;
    std::uint64_t badPrincipalsLine = 0;
};

// Lines sorted as text, as the published files are.
std::string sortedFile(const std::string& header, std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    std::string file = header + "\n";
    for (const std::string& line : lines)
        file += line + "\n";
    return file;
}

PublishedDataset publishedDataset()
{
    PublishedDataset dataset;
    std::vector<std::uint32_t> numbers;
    for (std::uint32_t n = 1047000; n < 1048000; ++n)
        numbers.push_back(n);
    for (std::uint32_t n = 10470000; n < 10480000; n += 4)
        numbers.push_back(n);

    std::vector<std::string> basics, ratings, crew, principals;
    std::map<std::uint32_t, std::string> names; // person number -> primaryName
    std::set<std::uint32_t> unnamed;
    for (std::uint32_t i = 0; i < numbers.size(); ++i) {
        const std::string tconst = numbered("tt", numbers[i]);
        const bool episode = i % 4 == 3;
        Title film;
        film.number = numbers[i];
        film.title = "Film " + std::to_string(i) + (i % 7 == 0 ? " \"Quoted\"" : "");
        if (i % 13 != 0)
            film.year = i % 50 == 0 ? 900 + static_cast<int>(i % 100) : 1950 + static_cast<int>(i % 70);
        if (i % 5 != 0)
            film.runtime = 60 + static_cast<int>(i % 90);
        const auto text = [](const std::optional<int>& value) { return value ? std::to_string(*value) : "\\N"; };
        basics.push_back(tconst + "\t" + (episode ? "tvEpisode" : "movie") + "\t" + film.title + "\t" + film.title
            + "\t0\t" + text(film.year) + "\t\\N\t" + text(film.runtime) + "\t" + (i % 3 ? "Drama,Comedy" : "\\N"));
        if (i % 2 == 0)
            ratings.push_back(tconst + "\t6.5\t" + std::to_string(1 + i * 7 % 1000));

        const std::uint32_t director = 2000000 + i;
        names[director] = "Director \"" + std::to_string(i) + "\" Doe";
        film.directors.push_back(names[director]);
        crew.push_back(tconst + "\t" + numbered("nm", director) + "\t\\N");

        // Orderings 1 to 10; 3 is the director's row and 6 a writer's, the rest cast.
        for (int ordering = 1; ordering <= 10; ++ordering) {
            std::string line = tconst + "\t" + std::to_string(ordering) + "\t";
            if (ordering == 3) {
                line += numbered("nm", director) + "\tdirector\t\\N\t\\N";
            } else if (ordering == 6) {
                line += numbered("nm", director) + "\twriter\t\"story\" (as \"J. Doe\")\t\\N";
            } else {
                // Odd orderings 7-digit people, even ones 8-digit, so their numbers interleave too.
                const std::uint32_t person = (ordering % 2 ? 1000000 : 10000000) + i * 10 + ordering;
                const std::string name = "Player " + std::to_string(person);
                std::string json;
                CastMember member { name, "" };
                switch (i % 3) {
                case 0:
                    json = "[\"Jack \\\"The Ripper\\\" " + std::to_string(ordering) + "\"]";
                    member.characters = "Jack \"The Ripper\" " + std::to_string(ordering);
                    break;
                case 1:
                    json = "[\"Self - Host\",\"Narrator " + std::to_string(ordering) + "\"]";
                    member.characters = "Self - Host / Narrator " + std::to_string(ordering);
                    break;
                default:
                    json = "\\N";
                }
                const char* category = ordering % 4 == 0 ? "actress" : ordering == 9 ? "self" : "actor";
                line += numbered("nm", person) + "\t" + category + "\t\\N\t" + json;
                if ((i + static_cast<std::uint32_t>(ordering)) % 9 == 0)
                    unnamed.insert(person); // left out, and the next one moves up
                else
                    names[person] = name;
                if (!unnamed.contains(person) && film.cast.size() < 4)
                    film.cast.push_back(member);
            }
            principals.push_back(line);
        }
        if (!episode)
            dataset.films.push_back(film);
    }

    std::vector<std::string> people;
    for (const auto& [person, name] : names)
        people.push_back(numbered("nm", person) + "\t" + name + "\t" + (person % 3 ? "987" : "\\N") + "\t\\N\t"
            + (person % 2 ? "" : "actor,writer") + "\t\\N");

    // One row of the wrong width in title.basics, one in title.principals.
    basics.push_back("tt1047500x\tmovie\tBroken\tBroken\t0\t2001\t\\N\t90");
    principals.push_back("tt1047750\t11\tnm1999999\tactor\t[\"Missing job\"]");
    dataset.files["title.basics"] = sortedFile(std::string(datasetFile(DatasetKind::Basics).header), basics);
    dataset.files["title.ratings"] = sortedFile(std::string(datasetFile(DatasetKind::Ratings).header), ratings);
    dataset.files["title.crew"] = sortedFile(std::string(datasetFile(DatasetKind::Crew).header), crew);
    dataset.files["title.principals"]
        = sortedFile(std::string(datasetFile(DatasetKind::Principals).header), principals);
    dataset.files["name.basics"] = sortedFile(std::string(datasetFile(DatasetKind::Names).header), people);
    const auto lineOf = [](const std::string& file, const std::string& start) {
        const std::size_t at = file.find("\n" + start);
        return static_cast<std::uint64_t>(std::count(file.begin(), file.begin() + static_cast<long>(at) + 1, '\n') + 1);
    };
    dataset.badBasicsLine = lineOf(dataset.files["title.basics"], "tt1047500x");
    dataset.badPrincipalsLine = lineOf(dataset.files["title.principals"], "tt1047750\t11");
    return dataset;
}

void writeDataset(const fs::path& dir, const std::map<std::string, std::string>& files)
{
    fs::create_directories(dir);
    for (const auto& [name, text] : files)
        test::writeFile(dir / (name + ".tsv.gz"), test::gzip(text));
}

// Everything the index serves, read back with SQL.
std::vector<std::string> contents(const fs::path& index)
{
    std::vector<std::string> all;
    for (const char* sql : { "SELECT * FROM titles ORDER BY number", "SELECT * FROM directors ORDER BY title, position",
             "SELECT * FROM cast_members ORDER BY title, position", "SELECT * FROM people ORDER BY number" })
        for (std::string& row : test::rows(index, sql))
            all.push_back(std::move(row));
    return all;
}

} // namespace

TEST(PublishedShape, ImportsSkippingTheStrayRowsAndServesEveryFilm)
{
    const PublishedDataset dataset = publishedDataset();
    vantrelle::ScratchDir dir;
    writeDataset(dir / "dataset", dataset.files);
    // The published files are sorted as text, and so not by number.
    ASSERT_LT(dataset.files.at("title.basics").find("tt10470000"), dataset.files.at("title.basics").find("tt1047001"));

    const fs::path index = dir / "titles.db";
    const test::ToolRun run = test::runTool("titles import " + (dir / "dataset").string() + " -o " + index.string());
    EXPECT_EQ(run.exitCode, 0) << run.all();
    EXPECT_EQ(run.errors,
        "skipped 1 row of title.basics.tsv.gz: line " + std::to_string(dataset.badBasicsLine)
            + ", 8 fields where 9 are expected\n"
              "skipped 1 row of title.principals.tsv.gz: line "
            + std::to_string(dataset.badPrincipalsLine) + ", 5 fields where 6 are expected\n");
    EXPECT_TRUE(run.output.starts_with("Imported " + std::to_string(dataset.films.size()) + " titles")) << run.output;

    const TitleIndex served(index);
    EXPECT_EQ(served.titleCount(), static_cast<std::int64_t>(dataset.films.size()));
    for (const Title& film : dataset.films) {
        const std::optional<Title> title = served.title(film.number);
        ASSERT_TRUE(title) << film.number;
        EXPECT_EQ(title->title, film.title) << film.number;
        EXPECT_EQ(title->year, film.year) << film.number;
        EXPECT_EQ(title->runtime, film.runtime) << film.number;
        EXPECT_EQ(title->directors, film.directors) << film.number;
        ASSERT_EQ(title->cast.size(), 4u) << film.number;
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(title->cast[i].name, film.cast[i].name) << film.number << " cast " << i;
            EXPECT_EQ(title->cast[i].characters, film.cast[i].characters) << film.number << " cast " << i;
        }
    }
}

// Any order of the rows gives the same index: a title's rows split into runs, cast rows before their
// title's ordering, people before the titles that name them.
TEST(PublishedShape, ShuffledRowsGiveTheSameIndex)
{
    const PublishedDataset dataset = publishedDataset();
    vantrelle::ScratchDir dir;
    writeDataset(dir / "published", dataset.files);
    importTitles(dir / "published", dir / "published.db");

    std::map<std::string, std::string> shuffled;
    std::mt19937 random(23);
    for (const auto& [name, text] : dataset.files) {
        std::vector<std::string> lines;
        std::size_t start = text.find('\n') + 1;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        std::shuffle(lines.begin(), lines.end(), random);
        std::string file = text.substr(0, text.find('\n') + 1);
        for (const std::string& line : lines)
            file += line + "\n";
        shuffled[name] = file;
    }
    writeDataset(dir / "shuffled", shuffled);
    const ImportSummary summary = importTitles(dir / "shuffled", dir / "shuffled.db");
    EXPECT_EQ(summary.titles, dataset.films.size());
    ASSERT_EQ(summary.skipped.size(), 2u);
    EXPECT_EQ(summary.skipped[0].count, 1u);
    EXPECT_EQ(contents(dir / "shuffled.db"), contents(dir / "published.db"));
}
