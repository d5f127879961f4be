#include "StoreFixture.h"

#include <functional>

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

namespace {

// "Film 10" to "Film 49", each with its own genre, in title order.
std::string fortyFilms()
{
    std::string values;
    for (int i = 10; i < 50; ++i)
        values += std::string(values.empty() ? "" : ", ") + "('Film " + std::to_string(i) + "', 'Genre "
            + std::to_string(i) + "')";
    return "DELETE FROM Movies; INSERT INTO Movies (NameOfMovie, Genre) VALUES " + values + ";";
}

} // namespace

// While films become current one after another, the next few dozen are read with the first of them; one of those
// shows what the file holds when it becomes current, whoever changed the file in between.
TEST_F(StoreTest, AFilmReadAheadShowsWhatTheFileHoldsWhenItBecomesCurrent)
{
    const struct {
        const char* name;
        const char* before; // run before the open
        int from; // the film made current first; the walk goes on from its neighbour
        int step;
        std::function<void(MoviesQuery&)> meanwhile; // once the walk has begun
        std::vector<std::string> genres; // of the next three films in the walk
    } cases[] = {
        { "another program changes the next film", "", 1, 1,
            [this](MoviesQuery&) { sql("UPDATE Movies SET Genre = 'Changed' WHERE NameOfMovie = 'Film 12';"); },
            { "Changed", "Genre 13", "Genre 14" } },
        { "another program deletes one", "", 1, 1,
            [this](MoviesQuery&) { sql("DELETE FROM Movies WHERE NameOfMovie = 'Film 13';"); },
            { "Genre 12", "", "Genre 14" } },
        { "another program changes one further back, walking back", "", 40, -1,
            [this](MoviesQuery&) { sql("UPDATE Movies SET Genre = 'Changed' WHERE NameOfMovie = 'Film 46';"); },
            { "Genre 47", "Changed", "Genre 45" } },
        { "our own save changes the next film through the file's trigger",
            "CREATE TRIGGER Touch AFTER UPDATE OF Genre ON Movies BEGIN UPDATE Movies SET Genre = 'Touched' "
            "WHERE NameOfMovie = 'Film 12'; END;",
            1, 1,
            [](MoviesQuery& q) {
                q.edit();
                q.aqMoviesGenre.setAsString("Saved");
                q.post();
            },
            { "Touched", "Genre 13", "Genre 14" } },
        { "the file is in WAL mode, whose commits leave its header be", "PRAGMA journal_mode = WAL;", 1, 1,
            [this](MoviesQuery&) { sql("UPDATE Movies SET Genre = 'Changed' WHERE NameOfMovie = 'Film 13';"); },
            { "Genre 12", "Changed", "Genre 14" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sql(std::string("PRAGMA journal_mode = DELETE; DROP TRIGGER IF EXISTS Touch; ") + fortyFilms() + c.before);
        MoviesQuery walker; // a connection of its own for each case, gone before the next one changes the file
        walker.open();
        walker.setRecNo(c.from);
        walker.moveBy(c.step);
        c.meanwhile(walker);
        std::vector<std::string> genres;
        for (int i = 0; i < 3; ++i) {
            walker.moveBy(c.step);
            genres.push_back(walker.aqMoviesGenre.asString());
        }
        EXPECT_EQ(genres, c.genres);
    }
}

// The films read ahead are read already: a walk goes on through them while another program holds the file to
// write it, and shows what it held before.
TEST_F(StoreTest, AWalkGoesOnThroughTheFilmsReadAheadWhileAnotherProgramWrites)
{
    sql(fortyFilms());
    openQuiet();
    query.next();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((m_dir / "Movies.mdb").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; UPDATE Movies SET Genre = 'Changed';", nullptr, nullptr, nullptr),
        SQLITE_OK)
        << sqlite3_errmsg(other);
    for (int film = 12; film < 20; ++film) {
        query.next();
        EXPECT_EQ(query.aqMoviesGenre.asString(), "Genre " + std::to_string(film));
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}
