#include "StoreFixture.h"

#include "vantrelle/store/AppendMovies.h"

#include <optional>

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

namespace {

MovieRecord film(const std::string& title, std::optional<std::int32_t> year)
{
    MovieRecord row;
    row[1] = title;
    if (year)
        row[17] = *year;
    return row;
}

} // namespace

class AppendMovies : public StoreTest { };

TEST_F(AppendMovies, AddsEveryColumnButTheIdWhichTheCatalogueGives)
{
    addFilms({ { "Abyss", 1989 }, { "Brazil", 1985 } });
    sql("DELETE FROM Movies WHERE NameOfMovie = 'Brazil'"); // its ID 2 is never given again

    MovieRecord full;
    full[0] = 1; // taken by Abyss: never used
    for (int k = 1; k < kMovieColumnCount; ++k)
        full[k] = std::string("text ") + std::to_string(k);
    full[5] = 117;
    full[7] = 2;
    full[16] = Bytes { 'B', 'M', 0, 255 };
    full[17] = 1979;
    MovieRecord empty; // every column null
    MovieRecord blank = film("", std::nullopt);
    blank[16] = Bytes {};
    const std::vector<MovieRecord> rows = { full, empty, blank };
    appendMovies(kConnectionString, rows);

    openQuiet();
    ASSERT_EQ(query.recordCount(), 4);
    std::vector<MovieRecord> stored;
    for (query.first(); !query.eof(); query.next()) {
        MovieRecord row;
        for (const Field* field : query.fields())
            row[field->index()] = field->value();
        stored.push_back(row);
        if (stored.size() == 4)
            break;
    }
    // Title order: null, "", "Abyss", "text 1"; IDs follow the highest ever used.
    MovieRecord expectEmpty = empty, expectBlank = blank, expectFull = full;
    expectEmpty[0] = 4;
    expectBlank[0] = 5;
    expectFull[0] = 3;
    EXPECT_EQ(stored[0], expectEmpty);
    EXPECT_EQ(stored[1], expectBlank);
    EXPECT_EQ(stored[3], expectFull);
}

TEST_F(AppendMovies, OneRowRefusedLeavesTheCatalogueUnchanged)
{
    addFilms({ { "Abyss", 1989 } });
    sql("CREATE TRIGGER refuse BEFORE INSERT ON Movies WHEN NEW.NameOfMovie = 'Bad' "
        "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const std::vector<MovieRecord> rows = { film("Good", 2000), film("Bad", 2001), film("Later", 2002) };
    try {
        appendMovies(kConnectionString, rows);
        ADD_FAILURE() << "the refused row was not reported";
    } catch (const EEngineError& e) {
        EXPECT_STREQ(e.what(), "refused");
    }
    openQuiet();
    EXPECT_EQ(titles(), std::vector<std::string> { "Abyss" });
}

TEST_F(AppendMovies, RowsAddedAreKeptOnlyByCommit)
{
    addFilms({ { "Abyss", 1989 } });
    {
        MovieAppender appender(kConnectionString);
        appender.add(film("Left out", 2000));
    }
    MovieAppender appender(kConnectionString);
    appender.add(film("Kept", 2001));
    appender.commit();
    openQuiet();
    EXPECT_EQ(titles(), (std::vector<std::string> { "Abyss", "Kept" }));
}

TEST_F(AppendMovies, RefusesWhatTheQueryRefusesWithItsMessages)
{
    const struct {
        std::string setup;
        std::string message;
    } cases[] = {
        { "DROP TABLE Movies", "'" + (m_dir / "Movies.mdb").string() + "' holds no table Movies" },
        { "ALTER TABLE Movies DROP COLUMN Year", "Field 'Year' not found" },
    };
    for (const auto& c : cases) {
        std::filesystem::remove(m_dir / "Movies.mdb");
        createCatalogue(m_dir / "Movies.mdb");
        sql(c.setup);
        std::string openMessage;
        try {
            MoviesQuery other;
            other.open();
        } catch (const EDatabaseError& e) {
            openMessage = e.what();
        }
        try {
            appendMovies(kConnectionString, std::vector<MovieRecord> { film("X", 1) });
            ADD_FAILURE() << c.setup;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.what(), openMessage) << c.setup;
            EXPECT_EQ(e.what(), c.message) << c.setup;
        }
    }
}

TEST(ValueFromText, ConvertsAsTheSetterWithoutAnOpenQuery)
{
    MoviesQuery closed;
    const std::string title60(60, 'a');
    const struct {
        Field& field;
        std::string text;
        FieldValue value; // monostate with `error`: the setter's message
        std::string error;
    } cases[] = {
        { closed.aqMoviesRuntime, " 120", 120, "" },
        { closed.aqMoviesRuntime, "", std::monostate {}, "" },
        { closed.aqMoviesRuntime, "120 min", std::monostate {},
            "'120 min' is not a valid integer value for field 'Runtime'" },
        { closed.aqMoviesYear, "$7C3", 1987, "" },
        { closed.aqMoviesNameOfMovie, title60, std::string(50, 'a'), "" },
        { closed.aqMoviesNameOfMovie, "", std::string(), "" },
        { closed.aqMoviesGenre, "Am\xE9lie", std::string("Am\xC3\xA9lie"), "" },
        { closed.aqMoviesCover, std::string("BM\0x", 4), Bytes { 'B', 'M', 0, 'x' }, "" },
    };
    for (const auto& c : cases) {
        if (c.error.empty()) {
            EXPECT_EQ(c.field.valueFromText(c.text), c.value) << c.field.fieldName() << " " << c.text;
            continue;
        }
        try {
            (void)c.field.valueFromText(c.text);
            ADD_FAILURE() << c.text;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.what(), c.error);
        }
    }
}
