#include "StoreFixture.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

namespace {

const std::string kChanged = "Another program changed this film after the list was read; the changes were not saved";
const std::string kDeleted = "Another program deleted this film after the list was read; the changes were not saved";

// The message of the conflict that refuses the post; "post succeeded" when none does.
std::string postConflict(MoviesQuery& query)
{
    try {
        query.post();
        return "post succeeded";
    } catch (const EUpdateConflict& e) {
        return e.what();
    }
}

} // namespace

// Two queries on one file stand for two processes: each has its own connection and snapshot.
TEST_F(StoreTest, PostOfARowChangedOrDeletedElsewhereIsRefusedAndNothingIsLost)
{
    const struct {
        const char* name;
        std::function<void(MoviesQuery&)> other; // what the other program does meanwhile
        std::string message;
        std::string storedGenre; // the table's value afterwards
    } cases[] = {
        { "changed",
            [](MoviesQuery& q) {
                q.edit();
                q.aqMoviesGenre.setAsString("Horror");
                q.post();
            },
            kChanged, "Horror" },
        { "changed only in case",
            [](MoviesQuery& q) {
                q.edit();
                q.aqMoviesNameOfMovie.setAsString("ALIEN");
                q.post();
            },
            kChanged, "Sci-fi" },
        { "deleted", [](MoviesQuery& q) { q.deleteRow(); }, kDeleted, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sql("DELETE FROM Movies; INSERT INTO Movies (NameOfMovie, Genre) VALUES ('Alien', 'Sci-fi');");
        query.close();
        query.open();
        MoviesQuery other;
        other.open();
        c.other(other);

        query.edit();
        query.aqMoviesGenre.setAsString("Thriller");
        EXPECT_EQ(postConflict(query), c.message);
        EXPECT_EQ(query.state(), qsEdit);
        EXPECT_EQ(query.aqMoviesGenre.asString(), "Thriller");

        MoviesQuery reader;
        reader.open();
        EXPECT_EQ(reader.aqMoviesGenre.asString(), c.storedGenre);
        query.cancel();
    }
}

TEST_F(StoreTest, DeleteOfARowChangedElsewhereIsRefusedAndOfAGoneRowSucceeds)
{
    addFilms({ { "Alien", 1979 }, { "Brazil", 1985 } });
    openQuiet();
    sql("UPDATE Movies SET Year = 1980 WHERE NameOfMovie = 'Alien'; DELETE FROM Movies WHERE NameOfMovie = 'Brazil';");
    try {
        query.deleteRow();
        FAIL() << "delete succeeded";
    } catch (const EUpdateConflict& e) {
        EXPECT_STREQ(e.what(), "Another program changed this film after the list was read; it was not deleted");
    }
    EXPECT_EQ(query.recordCount(), 2);
    query.next();
    query.deleteRow();
    EXPECT_EQ(titles(), std::vector<std::string> { "Alien" });
}

TEST_F(StoreTest, OwnPostsDoNotConflictWithLaterOnes)
{
    addFilms({ { "Alien", 1979 } });
    openQuiet();
    for (const char* genre : { "Sci-fi", "Horror", "Thriller" }) {
        query.edit();
        query.aqMoviesGenre.setAsString(genre);
        query.post();
    }
    query.deleteRow();
    EXPECT_TRUE(query.isEmpty());
}

// Another program holds the file while it writes: the query waits for it (5 s), then says so and keeps
// everything, and the same operation works once the other program has finished.
TEST_F(StoreTest, ALockedCatalogueIsReportedAndNothingIsLost)
{
    const struct {
        const char* name;
        const char* lock; // what the other program starts and holds
        std::function<void(MoviesQuery&)> setup;
        std::function<void(MoviesQuery&)> operation;
        QueryState stateAfter;
    } cases[] = {
        { "post while it writes", "BEGIN IMMEDIATE; UPDATE Movies SET Year = 1980;",
            [](MoviesQuery& q) {
                q.open();
                q.edit();
                q.aqMoviesGenre.setAsString("Horror");
            },
            [](MoviesQuery& q) { q.post(); }, qsEdit },
        { "open while it commits", "BEGIN EXCLUSIVE;", [](MoviesQuery&) {}, [](MoviesQuery& q) { q.open(); },
            qsClosed },
    };
    addFilms({ { "Alien", 1979 } });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.setup(query);
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open((m_dir / "Movies.mdb").c_str(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, c.lock, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(other);
        try {
            c.operation(query);
            ADD_FAILURE() << "no failure";
        } catch (const EEngineBusy& e) {
            EXPECT_STREQ(e.what(),
                "The catalogue is in use by another program. Try again when it has finished.\ndatabase is locked");
        }
        EXPECT_EQ(query.state(), c.stateAfter);
        EXPECT_EQ(query.aqMoviesGenre.asString(), c.stateAfter == qsEdit ? "Horror" : "");
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        c.operation(query);
        EXPECT_EQ(query.state(), qsBrowse);
        EXPECT_EQ(sqlValue("SELECT Year || Genre FROM Movies"), "1979Horror");
        query.close();
    }
}

TEST_F(StoreTest, ReturnedPostSurvivesTheProcessBeingKilled)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        MoviesQuery q;
        q.open();
        q.insert();
        q.aqMoviesNameOfMovie.setAsString("Stalker");
        q.post();
        raise(SIGKILL); // no destructors, no clean close
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    query.open();
    EXPECT_EQ(titles(), std::vector<std::string> { "Stalker" });
}

// The open reads the titles; the rest of a film is read when it becomes current. A film that another program
// changed or deleted in between shows what the file holds: never some columns of each version.
TEST_F(StoreTest, AFilmChangedOrDeletedElsewhereAfterTheOpenShowsWhatTheFileHolds)
{
    sql("INSERT INTO Movies (ID, NameOfMovie, Genre, Cover, Year) VALUES (1, 'Alien', 'Horror', x'424d01', 1979), "
        "(2, 'Brazil', 'Satire', x'424d02', 1985), (3, 'Casablanca', 'Drama', x'424d03', 1942);");
    openQuiet();
    sql("UPDATE Movies SET NameOfMovie = 'Brazil (cut)', Genre = 'Comedy', Cover = x'424d09' WHERE ID = 2; "
        "DELETE FROM Movies WHERE ID = 3;");
    query.next();
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), "Brazil (cut)");
    EXPECT_EQ(query.aqMoviesGenre.asString(), "Comedy");
    EXPECT_EQ(query.aqMoviesCover.asBytes(), Bytes({ 'B', 'M', 9 }));
    EXPECT_EQ(query.aqMoviesYear.asInteger(), 1985);
    EXPECT_EQ(titles(), (std::vector<std::string> { "Alien", "Brazil (cut)", "Casablanca" }));

    // The deleted one keeps its place and title in the list and shows nothing else; a save of it is refused and
    // a delete takes it away.
    query.next();
    EXPECT_EQ(events, (std::vector<std::string> { "AfterScroll", "AfterScroll" }));
    EXPECT_EQ(query.aqMoviesID.asInteger(), 3);
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), "Casablanca");
    for (const Field* field : query.fields())
        EXPECT_TRUE(field->index() <= query.aqMoviesNameOfMovie.index() || field->isNull()) << field->fieldName();
    query.edit();
    query.aqMoviesGenre.setAsString("Drama");
    EXPECT_EQ(postConflict(query), kDeleted);
    query.cancel();
    query.deleteRow();
    EXPECT_EQ(titles(), (std::vector<std::string> { "Alien", "Brazil (cut)" }));
    EXPECT_EQ(query.aqMoviesGenre.asString(), "Comedy");
}
