#include "StoreFixture.h"

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

// Values written by another program with another storage class than the column's.
TEST_F(StoreTest, ValuesOfAnotherStorageClassAreReadAsTheColumnsType)
{
    sql("INSERT INTO Movies (ID, NameOfMovie, Runtime, NoOfCds, Year, Genre, Director, Cover) VALUES "
        "(1, 42, '120', 2.0, ' 1999', x'416d', CAST('Am' || char(233) || 'lie' AS BLOB), 'BM text');"
        "UPDATE Movies SET Tagline = CAST(x'416de96c6965' AS TEXT);");
    query.Open();
    EXPECT_EQ(query.aqMoviesNameOfMovie.AsString(), "42");
    EXPECT_EQ(query.aqMoviesRuntime.AsInteger(), 120);
    EXPECT_EQ(query.aqMoviesNoOfCds.AsInteger(), 2);
    EXPECT_EQ(query.aqMoviesYear.AsInteger(), 1999);
    EXPECT_EQ(query.aqMoviesGenre.AsString(), "Am");
    EXPECT_EQ(query.aqMoviesDirector.AsString(), "Am\xC3\xA9lie");
    EXPECT_EQ(query.aqMoviesTagline.AsString(), "Am\xC3\xA9lie"); // Latin-1 bytes stored as text
    EXPECT_EQ(query.aqMoviesCover.AsString(), "BM text");
    // Such a row can still be edited and saved.
    query.Edit();
    query.aqMoviesFormat.SetAsString("DVD");
    query.Post();
}

TEST_F(StoreTest, ValuesThatDoNotConvertGiveAClearErrorAtOpen)
{
    const struct {
        const char* values;
        std::string message;
    } cases[] = {
        { "Runtime) VALUES (7, 'two hours'",
            "The column Runtime of the movie with ID 7 holds 'two hours', which is not a 32-bit integer" },
        { "Year) VALUES (7, 4294967296",
            "The column Year of the movie with ID 7 holds '4294967296', which is not a 32-bit integer" },
        { "Year) VALUES (7, 1999.5",
            "The column Year of the movie with ID 7 holds '1999.5', which is not a 32-bit "
            "integer" },
        { "NoOfCds) VALUES (7, x'01'",
            "The column NoOfCds of the movie with ID 7 holds binary data, which is not a "
            "32-bit integer" },
        { "Cover) VALUES (7, 12",
            "The column Cover of the movie with ID 7 holds the number 12, which is not picture "
            "bytes" },
    };
    for (const auto& c : cases) {
        sql("DELETE FROM Movies; INSERT INTO Movies (ID, " + std::string(c.values) + ");");
        try {
            query.Open();
            ADD_FAILURE() << "opened with " << c.values;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(query.State(), qsClosed);
    }
}
