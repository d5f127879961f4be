// What the importer writes into the index, read back with SQL.

#include "IndexFixture.h"
#include "vantrelle/titledata/Import.h"
#include "vantrelle/titleindex/Schema.h"

#include <gtest/gtest.h>

#include <regex>

using namespace vantrelle;
using namespace vantrelle::titledata;
using test::rows;
using vantrelle::titleindex::kSchemaVersion;
using Rows = std::vector<std::string>;

namespace {

Rows words(const std::filesystem::path& index, const std::string& query)
{
    return rows(index, "SELECT rowid FROM title_words WHERE title_words MATCH '" + query + "' ORDER BY rowid");
}

// Everything the index holds but the meta rows, which name the folder and the time of the import.
Rows everything(const std::filesystem::path& index)
{
    Rows all;
    for (const char* sql : { "SELECT * FROM titles ORDER BY number", "SELECT * FROM directors ORDER BY title, position",
             "SELECT * FROM cast_members ORDER BY title, position", "SELECT * FROM people ORDER BY number",
             "SELECT rowid FROM title_words WHERE title_words MATCH 'e* OR t* OR s* OR n*'" })
        for (std::string& row : rows(index, sql))
            all.push_back(std::move(row));
    return all;
}

} // namespace

TEST(ImportContents, KeepsEveryTitleButEpisodesAndAdultOnesWithTheirRanks)
{
    vantrelle::ScratchDir dir;
    const ImportSummary summary = importTitles(test::kDatasetFixture, dir / "titles.db");
    EXPECT_EQ(summary.titles, 7u);
    EXPECT_EQ(summary.people, 17u);

    // Ranked by votes, most first; the tie between 2 and 12345678 goes to the lower number. \N stays NULL.
    EXPECT_EQ(rows(dir / "titles.db", "SELECT * FROM titles ORDER BY number"),
        (Rows { "1|4|movie|Été à Montreuil|Été à Montreuil|1962|94|Drama,Romance|5000",
            "2|1|movie|Salt & Copper|Salt & Copper|1987|112|Crime,Thriller|120000",
            "3|3|tvSeries|The Lantern Keepers|The Lantern Keepers|2004|42|Adventure,Drama|40000",
            "6|7|short|Untitled Harbour Study|NULL|NULL|NULL|NULL|0",
            "7|6|movie|Murder (By the Sea)|Murder (By the Sea)|1951|88|Mystery|900",
            "1234568|5|movie|Tokyo Rain|東京の雨|1958|103|Drama|3000",
            "12345678|2|movie|Northern Light|Nordlicht|2023|131|Drama,Sci-Fi|120000" }));
}

TEST(ImportContents, DirectorsInCrewOrderAndTheFirstFourCastEntriesByOrdering)
{
    vantrelle::ScratchDir dir;
    importTitles(test::kDatasetFixture, dir / "titles.db");

    EXPECT_EQ(rows(dir / "titles.db", "SELECT * FROM directors ORDER BY title, position"),
        (Rows { "1|1|1", "2|1|3", "2|2|2", "7|1|6", "1234568|1|7", "12345678|1|10000001" }));
    // Crew categories among the principals are passed over. Of title 2's five actors, actresses and self,
    // the one at ordering 5 has no name, so the one at ordering 10 (listed first) comes fourth.
    EXPECT_EQ(rows(dir / "titles.db", "SELECT * FROM cast_members ORDER BY title, position"),
        (Rows { "1|1|8|Hélène Brûlé", "1|2|9|Joseph \"Jo\" Marin", "2|1|10|Sam Copper", "2|2|11|Nora Flint / Narrator",
            "2|3|14|Themselves", "2|4|15|Waitress", "3|1|12|NULL", "7|1|18|Lady Ashcombe (the widow)",
            "7|2|17|Inspector Gale", "1234568|1|19|Shōji", "12345678|1|10000002|Ingrid", "12345678|2|8|NULL" }));
    // Only the people named by a kept director or cast row: not the writers, the producer, nor the people
    // of the episode and the adult title.
    EXPECT_EQ(rows(dir / "titles.db", "SELECT * FROM people ORDER BY number"),
        (Rows { "1|Odile Marchetti-Lévy", "2|Marcus O'Dell", "3|Priya Raman", "6|Harold Finch-Watts",
            "7|Takahara Kenji", "8|Amélie Ducasse", "9|Jean-Pierre Rivière", "10|Tom Baxter", "11|Dana Flint",
            "12|Rufus Ng", "14|Hobbs & Ferrante", "15|Greta Moss", "17|Cyril Gale", "18|Edith Ashcombe", "19|Ōta Shōji",
            "10000001|Søren Åkesson", "10000002|Ingrid Ålund" }));
}

TEST(ImportContents, TitleWordsCarryTheRankAndBothTitles)
{
    vantrelle::ScratchDir dir;
    const auto index = dir / "titles.db";
    importTitles(test::kDatasetFixture, index);

    EXPECT_EQ(words(index, "ete* montr*"), Rows { "4" });
    EXPECT_EQ(words(index, "salt"), Rows { "1" });
    EXPECT_EQ(words(index, "nordlicht"), Rows { "2" });
    EXPECT_EQ(words(index, "light"), Rows { "2" });
    EXPECT_EQ(words(index, "\"東京の雨\""), Rows { "5" });
    EXPECT_EQ(words(index, "the"), (Rows { "3", "6" }));
    EXPECT_EQ(words(index, "pilot"), Rows {}); // the episode
    EXPECT_EQ(words(index, "velvet"), Rows {}); // the adult title
}

TEST(ImportContents, MetaRowsNameTheVersionTheSourceAndTheTime)
{
    vantrelle::ScratchDir dir;
    importTitles(test::kDatasetFixture, dir / "titles.db");
    const Rows meta = rows(dir / "titles.db", "SELECT key, value FROM meta ORDER BY key");
    ASSERT_EQ(meta.size(), 3u);
    EXPECT_TRUE(std::regex_match(meta[0], std::regex(R"(imported_at\|\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)"))) << meta[0];
    EXPECT_EQ(meta[1], "schema_version|" + std::to_string(kSchemaVersion));
    EXPECT_EQ(meta[2], "source|" + std::filesystem::absolute(test::kDatasetFixture).lexically_normal().string());
}

TEST(ImportContents, AdultTitlesOnlyWhenAsked)
{
    vantrelle::ScratchDir dir;
    const auto index = dir / "titles.db";
    ImportOptions options;
    options.includeAdult = true;
    EXPECT_EQ(importTitles(test::kDatasetFixture, index, options).titles, 8u);

    EXPECT_EQ(
        rows(index, "SELECT number, rank FROM titles WHERE rank >= 6 ORDER BY rank"), (Rows { "7|6", "5|7", "6|8" }));
    EXPECT_EQ(rows(index, "SELECT * FROM directors WHERE title = 5"), Rows { "5|1|21" });
    EXPECT_EQ(rows(index, "SELECT * FROM cast_members WHERE title = 5"), Rows { "5|1|23|Velvet" });
    EXPECT_EQ(rows(index, "SELECT * FROM people WHERE number IN (21, 23)"),
        (Rows { "21|Velvet Director", "23|Velvet Star" }));
    EXPECT_EQ(words(index, "velvet"), Rows { "7" });
}

// The same dataset, gzipped or plain, with CRLF line ends, a UTF-8 byte order mark or without a last line
// break, gives the same index.
TEST(ImportContents, EveryFormOfTheFilesGivesTheSameIndex)
{
    vantrelle::ScratchDir dir;
    importTitles(test::kDatasetFixture, dir / "reference.db");
    const Rows reference = everything(dir / "reference.db");

    struct Form {
        const char* name;
        bool gzipped;
        std::string (*change)(std::string);
    } const forms[] = {
        { "gzipped", true, [](std::string bytes) { return bytes; } },
        { "CRLF line ends", false,
            [](std::string bytes) { return std::regex_replace(bytes, std::regex("\n"), "\r\n"); } },
        { "a byte order mark", true, [](std::string bytes) { return "\xEF\xBB\xBF" + bytes; } },
        { "no last line break", true,
            [](std::string bytes) {
                bytes.pop_back();
                return bytes;
            } },
    };
    for (const Form& form : forms) {
        const auto dataset = dir / form.name;
        std::filesystem::create_directories(dataset);
        for (const std::string& name : test::kDatasetNames) {
            const std::string bytes = form.change(test::readFile(test::kDatasetFixture / (name + ".tsv")));
            if (form.gzipped)
                test::writeFile(dataset / (name + ".tsv.gz"), test::gzip(bytes));
            else
                test::writeFile(dataset / (name + ".tsv"), bytes);
        }
        importTitles(dataset, dataset / "titles.db");
        EXPECT_EQ(everything(dataset / "titles.db"), reference) << form.name;
    }
}

// Lines run across the reader's pieces of a megabyte, gzipped in several members as pigz or a
// concatenation would write them.
TEST(ImportContents, LongFilesAcrossPiecesAndGzipMembers)
{
    vantrelle::ScratchDir dir;
    const auto dataset = dir / "dataset";
    test::copyDataset(dataset, true);
    constexpr int kTitles = 40000;
    std::string basics = test::readFile(test::kDatasetFixture / "title.basics.tsv");
    std::string members;
    for (int n = 20000000; n < 20000000 + kTitles; ++n) {
        basics += "tt" + std::to_string(n) + "\tmovie\tA title long enough to cross the pieces, number "
            + std::to_string(n) + "\t\\N\t0\t2001\t\\N\t90\tDrama\n";
        if (basics.size() > 700000) {
            members += test::gzip(basics);
            basics.clear();
        }
    }
    members += test::gzip(basics);
    test::writeFile(dataset / "title.basics.tsv.gz", members);

    const auto index = dir / "titles.db";
    EXPECT_EQ(importTitles(dataset, index).titles, 7u + kTitles);
    EXPECT_EQ(rows(index, "SELECT count(*), min(number), max(number) FROM titles WHERE number >= 20000000"),
        Rows { "40000|20000000|20039999" });
    EXPECT_EQ(rows(index, "SELECT title FROM titles WHERE number = 20031234"),
        Rows { "A title long enough to cross the pieces, number 20031234" });
}
