#include "vantrelle/titleindex/TitleIndex.h"

#include "TestFiles.h"
#include "TitleDataset.h"
#include "vantrelle/Error.h"
#include "vantrelle/sqlite/Sqlite.h"
#include "vantrelle/titleindex/Schema.h"

#include <gtest/gtest.h>

using namespace vantrelle;
using titleindex::TitleIndex;

namespace {

void execSql(const std::filesystem::path& file, const char* sql)
{
    sqlite::Database(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).exec(sql);
}

std::string openingError(const std::filesystem::path& file)
{
    try {
        TitleIndex index(file);
    } catch (const Error& error) {
        return error.what();
    }
    return "opened";
}

TEST(TitleIndex, RefusesWhatIsNoIndexOfItsVersionWithAClearMessage)
{
    vantrelle::ScratchDir dir;
    const std::string missing = (dir / "missing.db").string();
    EXPECT_EQ(openingError(missing), "Cannot open the title index \"" + missing + "\": unable to open database file");
    EXPECT_FALSE(std::filesystem::exists(missing)); // opening never creates one

    test::writeFile(dir / "text.db", "this is not a database, just some text that is long enough to look at");
    const std::string text = (dir / "text.db").string();
    EXPECT_EQ(openingError(text), "\"" + text + "\" is not a title index: file is not a database");

    execSql(dir / "other.db", "CREATE TABLE Movies (ID INTEGER)");
    const std::string other = (dir / "other.db").string();
    EXPECT_EQ(openingError(other), "\"" + other + "\" is not a title index: no such table: meta");

    const std::string old = test::importedIndex(dir.path(), {}).string();
    // As one built before the word index spelled Latin letters in ASCII.
    execSql(old, "UPDATE meta SET value = '1' WHERE key = 'schema_version'");
    EXPECT_EQ(openingError(old),
        "The title index \"" + old + "\" is of version 1, and this program reads version "
            + std::to_string(titleindex::kSchemaVersion) + ": import the title datasets again");
    execSql(old, "DELETE FROM meta");
    EXPECT_EQ(openingError(old),
        "The title index \"" + old + "\" is of version unknown, and this program reads version "
            + std::to_string(titleindex::kSchemaVersion) + ": import the title datasets again");
}

TEST(TitleIndex, ReadsATitleWithItsPeopleInTheirOrder)
{
    vantrelle::ScratchDir dir;
    const auto file = test::importedIndex(dir.path(),
        { { 78748, "movie", "Alien", 1979, 117, { "Horror", "Sci-Fi" }, { "Ridley Scott" },
              { { "Sigourney Weaver", "Ripley" }, { "Tom Skerritt", "Dallas" }, { "Veronica Cartwright", "Lambert" },
                  { "Harry Dean Stanton", "Brett" } },
              900000 },
            { 1, "short", "Carmencita", 1894, 1, { "Documentary", "Short" }, {}, { { "Carmencita", "Self" } },
                2000 } });
    const TitleIndex index(file);
    EXPECT_EQ(index.titleCount(), 2);
    // When it was built, as ISO 8601 in UTC.
    const std::string built = index.importedAt();
    EXPECT_TRUE(built.size() == 20 && built[4] == '-' && built[10] == 'T' && built.ends_with("Z")) << built;
    const auto alien = index.title(78748);
    ASSERT_TRUE(alien);
    EXPECT_EQ(alien->title, "Alien");
    EXPECT_EQ(alien->year, 1979);
    EXPECT_EQ(alien->genres, (std::vector<std::string> { "Horror", "Sci-Fi" }));
    EXPECT_EQ(alien->directors, std::vector<std::string> { "Ridley Scott" });
    ASSERT_EQ(alien->cast.size(), 4u);
    EXPECT_EQ(alien->cast[0].name, "Sigourney Weaver");
    EXPECT_EQ(alien->cast[3].characters, "Brett");
    EXPECT_EQ(alien->votes, 900000);
    EXPECT_FALSE(index.title(78749));
    // The same statements serve the next lookup afresh.
    EXPECT_EQ(index.title(1)->cast.size(), 1u);
    EXPECT_EQ(index.title(78748)->cast.size(), 4u);
}

TEST(TitleIndex, SearchesOfTooManyWordsFindNothing)
{
    vantrelle::ScratchDir dir;
    const TitleIndex index(test::importedIndex(dir.path(), { { 1, "movie", "A A A", 2000, {}, {}, {}, {}, 1 } }));
    std::string words;
    for (std::size_t i = 0; i < TitleIndex::kMostSearchWords; ++i)
        words += "a ";
    EXPECT_EQ(index.search(words).size(), 1u);
    EXPECT_TRUE(index.search(words + "a").empty());
}

} // namespace
