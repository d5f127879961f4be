#include "StoreFixture.h"

#include "vantrelle/store/Errors.h"

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

TEST_F(StoreTest, OpensInTitleOrderWithCaseFolded)
{
    addFilms({ { "alien", 1979 }, { "Zodiac", 2007 }, { "Abyss", 1989 }, { "Blade Runner", 1982 } });
    query.open();
    EXPECT_EQ(query.state(), qsBrowse);
    EXPECT_EQ(titles(), (std::vector<std::string> { "Abyss", "alien", "Blade Runner", "Zodiac" }));
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), "Abyss");
    EXPECT_EQ(events, (std::vector<std::string> { "StateChange:1", "AfterScroll" }));
}

// Only a few dozen films are held whole; reading other films' columns for the list never drops the current one.
TEST_F(StoreTest, TheCurrentFilmStaysWholeWhileOthersAreRead)
{
    std::string values;
    for (int i = 10; i < 90; ++i)
        values += std::string(values.empty() ? "" : ", ") + "('Film " + std::to_string(i) + "', 'Genre "
            + std::to_string(i) + "')";
    sql("INSERT INTO Movies (NameOfMovie, Genre) VALUES " + values + ";");
    openQuiet();
    query.setRecNo(40);
    for (int recNo = 1; recNo <= query.recordCount(); ++recNo)
        EXPECT_EQ(query.displayTextAt(recNo, query.aqMoviesGenre), "Genre " + std::to_string(recNo + 9));
    EXPECT_EQ(query.aqMoviesGenre.asString(), "Genre 49");
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), "Film 49");
}

// Catalogues made by other programs key their films in other ways: whatever the ID is to the file, every film
// shows its own row and a save reaches that row.
TEST_F(StoreTest, EveryWayOfKeyingTheTableShowsAndSavesEachFilmsOwnRow)
{
    const std::string ourId = "ID INTEGER PRIMARY KEY AUTOINCREMENT";
    const auto withId = [&](const std::string& declaration) {
        std::string schema(kMoviesSchema);
        return schema.replace(schema.find(ourId), ourId.size(), declaration);
    };
    const struct {
        const char* name;
        std::string schema;
        bool saves = true;
    } cases[] = {
        { "the rowid", withId("ID INTEGER PRIMARY KEY") },
        { "a descending key, not the rowid", withId("ID INTEGER PRIMARY KEY DESC") },
        { "a key of another type", withId("ID INT PRIMARY KEY") },
        { "no key", withId("ID INTEGER") },
        { "a table without rowids",
            [&] {
                std::string schema = withId("ID INTEGER PRIMARY KEY");
                return schema.insert(schema.find(");\nCREATE INDEX") + 1, " WITHOUT ROWID");
            }() },
        { "a view",
            [] {
                std::string films(kMoviesSchema);
                for (std::size_t at; (at = films.find("Movies")) != std::string::npos;)
                    films.replace(at, 6, "Films");
                return films + "CREATE VIEW Movies AS SELECT * FROM Films;";
            }(),
            false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        query.close();
        sql("DROP TABLE IF EXISTS Movies; DROP VIEW IF EXISTS Movies; DROP TABLE IF EXISTS Films;");
        sql(c.schema);
        const std::string table = c.saves ? "Movies" : "Films";
        // Rows stored in another order than their IDs', so that no rowid is its film's ID.
        sql("INSERT INTO " + table
            + " (ID, NameOfMovie, Genre) VALUES (30, 'Alien', 'Horror'), (10, 'Brazil', "
              "'Satire'), (20, 'Chinatown', 'Noir');");
        query.open();
        EXPECT_EQ(titles(), (std::vector<std::string> { "Alien", "Brazil", "Chinatown" }));
        const std::vector<std::pair<std::string, std::string>> expected
            = { { "30", "Horror" }, { "10", "Satire" }, { "20", "Noir" } };
        for (int recNo = 1; recNo <= 3; ++recNo) {
            EXPECT_EQ(query.displayTextAt(recNo, query.aqMoviesID), expected[recNo - 1].first);
            EXPECT_EQ(query.displayTextAt(recNo, query.aqMoviesGenre), expected[recNo - 1].second);
        }
        if (!c.saves)
            continue;
        query.setRecNo(2);
        query.edit();
        query.aqMoviesGenre.setAsString("Comedy");
        query.post();
        query.close();
        query.open();
        query.setRecNo(2);
        EXPECT_EQ(query.aqMoviesID.asInteger(), 10);
        EXPECT_EQ(query.aqMoviesGenre.asString(), "Comedy");
        EXPECT_EQ(sqlValue("SELECT group_concat(ID || Genre) FROM (SELECT * FROM Movies ORDER BY ID)"),
            "10Comedy,20Noir,30Horror");
    }
}
