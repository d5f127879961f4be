#include "StoreFixture.h"

#include <functional>

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

namespace {

using Events = std::vector<std::string>;

struct Transition {
    const char* name;
    int films; // rows in the table before the query opens
    std::function<void(MoviesQuery&)> setup; // brings the open query into the from-state
    std::function<void(MoviesQuery&)> operation;
    QueryState to;
    Events events; // exactly the events of the operation, in order
    int recNo; // current row afterwards
    int recordCount;
};

void none(MoviesQuery&)
{
}
void insert(MoviesQuery& q)
{
    q.insert();
}
void edit(MoviesQuery& q)
{
    q.edit();
}
void insertTitled(MoviesQuery& q)
{
    q.insert();
    q.aqMoviesNameOfMovie.setAsString("Brazil");
}
void editGenre(MoviesQuery& q)
{
    q.edit();
    q.aqMoviesGenre.setAsString("Drama");
}
void second(MoviesQuery& q)
{
    q.next();
}

const Transition kTransitions[] = {
    { "OpenNonEmpty", 2, nullptr, [](MoviesQuery& q) { q.open(); }, qsBrowse, { "StateChange:1", "AfterScroll" }, 1,
        2 },
    { "OpenEmpty", 0, nullptr, [](MoviesQuery& q) { q.open(); }, qsBrowse, { "StateChange:1" }, 0, 0 },
    { "InsertFromBrowse", 2, second, insert, qsInsert, { "StateChange:3", "AfterInsert", "AfterScroll" }, 2, 3 },
    { "EditNonEmpty", 2, none, edit, qsEdit, { "StateChange:2", "AfterEdit" }, 1, 2 },
    { "EditEmptyInserts", 0, none, edit, qsInsert, { "StateChange:3", "AfterInsert", "AfterScroll" }, 1, 1 },
    { "EditWhileEditing", 2, edit, edit, qsEdit, {}, 1, 2 },
    { "EditWhileInserting", 2, insert, edit, qsInsert, {}, 1, 3 },
    { "PostEdit", 2, editGenre, [](MoviesQuery& q) { q.post(); }, qsBrowse, { "StateChange:1", "AfterPost" }, 1, 2 },
    { "PostInsert", 2, insertTitled, [](MoviesQuery& q) { q.post(); }, qsBrowse, { "StateChange:1", "AfterPost" }, 1,
        3 },
    { "CancelEdit", 2, editGenre, [](MoviesQuery& q) { q.cancel(); }, qsBrowse, { "StateChange:1", "AfterCancel" }, 1,
        2 },
    { "CancelInsert", 2,
        [](MoviesQuery& q) {
            q.next();
            insertTitled(q);
        },
        [](MoviesQuery& q) { q.cancel(); }, qsBrowse, { "StateChange:1", "AfterCancel", "AfterScroll" }, 2, 2 },
    { "CancelInBrowse", 2, none, [](MoviesQuery& q) { q.cancel(); }, qsBrowse, {}, 1, 2 },
    { "DeleteFromBrowse", 3, second, [](MoviesQuery& q) { q.deleteRow(); }, qsBrowse, { "AfterDelete", "AfterScroll" },
        2, 2 },
    { "DeleteLastRow", 3, [](MoviesQuery& q) { q.last(); }, [](MoviesQuery& q) { q.deleteRow(); }, qsBrowse,
        { "AfterDelete", "AfterScroll" }, 2, 2 },
    { "DeleteOnlyRow", 1, none, [](MoviesQuery& q) { q.deleteRow(); }, qsBrowse, { "AfterDelete", "AfterScroll" }, 0,
        0 },
    { "DeleteWhileInsertingCancels", 2, insert, [](MoviesQuery& q) { q.deleteRow(); }, qsBrowse,
        { "StateChange:1", "AfterCancel", "AfterScroll" }, 1, 2 },
    { "MoveNext", 3, none, second, qsBrowse, { "AfterScroll" }, 2, 3 },
    { "MovePastLast", 3, [](MoviesQuery& q) { q.last(); }, second, qsBrowse, {}, 3, 3 },
    { "MoveBeforeFirst", 3, none, [](MoviesQuery& q) { q.prior(); }, qsBrowse, {}, 1, 3 },
    { "MoveFarOutside", 3, none, [](MoviesQuery& q) { q.moveBy(5); }, qsBrowse, {}, 1, 3 },
    { "MoveByZero", 3, second, [](MoviesQuery& q) { q.moveBy(0); }, qsBrowse, {}, 2, 3 },
    { "FirstAtFirst", 3, none, [](MoviesQuery& q) { q.first(); }, qsBrowse, { "AfterScroll" }, 1, 3 },
    { "LastAtLast", 3, [](MoviesQuery& q) { q.last(); }, [](MoviesQuery& q) { q.last(); }, qsBrowse, { "AfterScroll" },
        3, 3 },
    { "PickRow", 3, none, [](MoviesQuery& q) { q.setRecNo(3); }, qsBrowse, { "AfterScroll" }, 3, 3 },
    { "PickCurrentRow", 3, none, [](MoviesQuery& q) { q.setRecNo(1); }, qsBrowse, {}, 1, 3 },
    { "MoveWhileEditingPostsWhenSet", 3, editGenre, second, qsBrowse, { "StateChange:1", "AfterPost", "AfterScroll" },
        2, 3 },
    { "MoveWhileEditingCancelsWhenUnset", 3, edit, second, qsBrowse, { "StateChange:1", "AfterCancel", "AfterScroll" },
        2, 3 },
    { "PickWhileInsertingUnsetCancels", 3,
        [](MoviesQuery& q) {
            q.next();
            q.insert();
        },
        [](MoviesQuery& q) { q.setRecNo(4); }, qsBrowse,
        { "StateChange:1", "AfterCancel", "AfterScroll", "AfterScroll" }, 3, 3 },
    { "InsertWhileInsertingUnset", 2, insert, insert, qsInsert,
        { "StateChange:1", "AfterCancel", "AfterScroll", "StateChange:3", "AfterInsert", "AfterScroll" }, 1, 3 },
    { "CloseFromBrowse", 2, none, [](MoviesQuery& q) { q.close(); }, qsClosed, { "StateChange:0" }, 0, 0 },
    { "CloseWhileInserting", 2, insertTitled, [](MoviesQuery& q) { q.close(); }, qsClosed, { "StateChange:0" }, 0, 0 },
    { "CloseWhileEditing", 2, editGenre, [](MoviesQuery& q) { q.close(); }, qsClosed, { "StateChange:0" }, 0, 0 },
};

class StateTable : public StoreTest, public ::testing::WithParamInterface<Transition> { };

} // namespace

TEST_P(StateTable, GivesStateEventsAndCurrentRow)
{
    const Transition& t = GetParam();
    std::vector<std::pair<std::string, int>> films;
    for (int i = 0; i < t.films; ++i)
        films.push_back({ std::string(1, static_cast<char>('A' + i)) + " film", 2000 + i });
    addFilms(films);
    if (t.setup) {
        query.open();
        t.setup(query);
    }
    events.clear();
    t.operation(query);
    EXPECT_EQ(query.state(), t.to);
    EXPECT_EQ(events, t.events);
    EXPECT_EQ(query.recNo(), t.recNo);
    EXPECT_EQ(query.recordCount(), t.recordCount);
}

INSTANTIATE_TEST_SUITE_P(Store, StateTable, ::testing::ValuesIn(kTransitions),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StoreTest, PostedFilmTakesItsPlaceAfterTheReopenAndFirstFilmIsCurrent)
{
    addFilms({ { "Abyss", 1989 }, { "Zodiac", 2007 } });
    query.AfterPost = [](MoviesQuery& q) {
        q.close();
        q.open();
    };
    openQuiet();
    query.insert();
    query.aqMoviesNameOfMovie.setAsString("Alien");
    query.post();
    EXPECT_EQ(titles(), (std::vector<std::string> { "Abyss", "Alien", "Zodiac" }));
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), "Abyss");
    EXPECT_EQ(events,
        (std::vector<std::string> { "StateChange:3", "AfterInsert", "AfterScroll", "StateChange:1", "StateChange:0",
            "StateChange:1", "AfterScroll" }));
}

TEST_F(StoreTest, PickingAnotherFilmWhileAddingSavesAndLeavesTheFirstFilmCurrent)
{
    addFilms({ { "Abyss", 1989 }, { "Brazil", 1985 }, { "Zodiac", 2007 } });
    query.AfterPost = [](MoviesQuery& q) {
        q.close();
        q.open();
    };
    openQuiet();
    query.setRecNo(3);
    query.insert(); // before Zodiac: row 3
    query.aqMoviesNameOfMovie.setAsString("Yojimbo");
    query.setRecNo(2);
    EXPECT_EQ(query.state(), qsBrowse);
    EXPECT_EQ(query.recNo(), 1);
    EXPECT_EQ(titles(), (std::vector<std::string> { "Abyss", "Brazil", "Yojimbo", "Zodiac" }));
}

TEST_F(StoreTest, CancelledInsertAndCloseWriteNothing)
{
    addFilms({ { "Abyss", 1989 } });
    openQuiet();
    query.insert();
    query.aqMoviesNameOfMovie.setAsString("Never stored");
    query.cancel();
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), "Abyss");
    query.insert();
    query.aqMoviesNameOfMovie.setAsString("Never stored either");
    query.close();
    query.open();
    EXPECT_EQ(titles(), std::vector<std::string> { "Abyss" });
}

TEST_F(StoreTest, EditedColumnsAreWrittenAndOthersKept)
{
    addFilms({ { "Abyss", 1989 } });
    openQuiet();
    query.edit();
    query.aqMoviesGenre.setAsString("");
    query.aqMoviesYear.setAsString("1990");
    query.post();
    MoviesQuery reader;
    reader.open();
    EXPECT_EQ(reader.aqMoviesNameOfMovie.asString(), "Abyss");
    EXPECT_EQ(reader.aqMoviesYear.asInteger(), 1990);
    EXPECT_FALSE(reader.aqMoviesGenre.isNull()); // empty text stays distinct from null
    EXPECT_TRUE(reader.aqMoviesDirector.isNull());
    EXPECT_GT(reader.aqMoviesID.asInteger(), 0);
}

TEST_F(StoreTest, EngineRefusingAWriteKeepsStateAndValues)
{
    sql("CREATE TRIGGER NoX BEFORE INSERT ON Movies WHEN NEW.NameOfMovie = 'X' "
        "BEGIN SELECT RAISE(ABORT, 'a film may not be called X'); END;");
    openQuiet();
    query.insert();
    query.aqMoviesNameOfMovie.setAsString("X");
    query.aqMoviesYear.setAsInteger(2001);
    try {
        query.post();
        FAIL() << "post succeeded";
    } catch (const EEngineError& e) {
        EXPECT_STREQ(e.what(), "a film may not be called X");
    }
    EXPECT_EQ(query.state(), qsInsert);
    EXPECT_EQ(query.aqMoviesYear.asInteger(), 2001);
    query.aqMoviesNameOfMovie.setAsString("Y");
    query.post();
    EXPECT_EQ(query.state(), qsBrowse);
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), "Y");
}
