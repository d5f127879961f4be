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
