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
    q.Insert();
}
void edit(MoviesQuery& q)
{
    q.Edit();
}
void insertTitled(MoviesQuery& q)
{
    q.Insert();
    q.aqMoviesNameOfMovie.SetAsString("Brazil");
}
void editGenre(MoviesQuery& q)
{
    q.Edit();
    q.aqMoviesGenre.SetAsString("Drama");
}
void second(MoviesQuery& q)
{
    q.Next();
}

const Transition kTransitions[] = {
    { "OpenNonEmpty", 2, nullptr, [](MoviesQuery& q) { q.Open(); }, qsBrowse, { "StateChange:1", "AfterScroll" }, 1,
        2 },
    { "OpenEmpty", 0, nullptr, [](MoviesQuery& q) { q.Open(); }, qsBrowse, { "StateChange:1" }, 0, 0 },
    { "InsertFromBrowse", 2, second, insert, qsInsert, { "StateChange:3", "AfterInsert", "AfterScroll" }, 2, 3 },
    { "EditNonEmpty", 2, none, edit, qsEdit, { "StateChange:2", "AfterEdit" }, 1, 2 },
    { "EditEmptyInserts", 0, none, edit, qsInsert, { "StateChange:3", "AfterInsert", "AfterScroll" }, 1, 1 },
    { "EditWhileEditing", 2, edit, edit, qsEdit, {}, 1, 2 },
    { "EditWhileInserting", 2, insert, edit, qsInsert, {}, 1, 3 },
    { "PostEdit", 2, editGenre, [](MoviesQuery& q) { q.Post(); }, qsBrowse, { "StateChange:1", "AfterPost" }, 1, 2 },
    { "PostInsert", 2, insertTitled, [](MoviesQuery& q) { q.Post(); }, qsBrowse, { "StateChange:1", "AfterPost" }, 1,
        3 },
    { "CancelEdit", 2, editGenre, [](MoviesQuery& q) { q.Cancel(); }, qsBrowse, { "StateChange:1", "AfterCancel" }, 1,
        2 },
    { "CancelInsert", 2,
        [](MoviesQuery& q) {
            q.Next();
            insertTitled(q);
        },
        [](MoviesQuery& q) { q.Cancel(); }, qsBrowse, { "StateChange:1", "AfterCancel", "AfterScroll" }, 2, 2 },
    { "CancelInBrowse", 2, none, [](MoviesQuery& q) { q.Cancel(); }, qsBrowse, {}, 1, 2 },
    { "DeleteFromBrowse", 3, second, [](MoviesQuery& q) { q.Delete(); }, qsBrowse, { "AfterDelete", "AfterScroll" }, 2,
        2 },
    { "DeleteLastRow", 3, [](MoviesQuery& q) { q.Last(); }, [](MoviesQuery& q) { q.Delete(); }, qsBrowse,
        { "AfterDelete", "AfterScroll" }, 2, 2 },
    { "DeleteOnlyRow", 1, none, [](MoviesQuery& q) { q.Delete(); }, qsBrowse, { "AfterDelete", "AfterScroll" }, 0, 0 },
    { "DeleteWhileInsertingCancels", 2, insert, [](MoviesQuery& q) { q.Delete(); }, qsBrowse,
        { "StateChange:1", "AfterCancel", "AfterScroll" }, 1, 2 },
    { "MoveNext", 3, none, second, qsBrowse, { "AfterScroll" }, 2, 3 },
    { "MovePastLast", 3, [](MoviesQuery& q) { q.Last(); }, second, qsBrowse, {}, 3, 3 },
    { "MoveBeforeFirst", 3, none, [](MoviesQuery& q) { q.Prior(); }, qsBrowse, {}, 1, 3 },
    { "MoveFarOutside", 3, none, [](MoviesQuery& q) { q.MoveBy(5); }, qsBrowse, {}, 1, 3 },
    { "MoveByZero", 3, second, [](MoviesQuery& q) { q.MoveBy(0); }, qsBrowse, {}, 2, 3 },
    { "FirstAtFirst", 3, none, [](MoviesQuery& q) { q.First(); }, qsBrowse, { "AfterScroll" }, 1, 3 },
    { "LastAtLast", 3, [](MoviesQuery& q) { q.Last(); }, [](MoviesQuery& q) { q.Last(); }, qsBrowse, { "AfterScroll" },
        3, 3 },
    { "PickRow", 3, none, [](MoviesQuery& q) { q.SetRecNo(3); }, qsBrowse, { "AfterScroll" }, 3, 3 },
    { "PickCurrentRow", 3, none, [](MoviesQuery& q) { q.SetRecNo(1); }, qsBrowse, {}, 1, 3 },
    { "MoveWhileEditingPostsWhenSet", 3, editGenre, second, qsBrowse, { "StateChange:1", "AfterPost", "AfterScroll" },
        2, 3 },
    { "MoveWhileEditingCancelsWhenUnset", 3, edit, second, qsBrowse, { "StateChange:1", "AfterCancel", "AfterScroll" },
        2, 3 },
    { "PickWhileInsertingUnsetCancels", 3,
        [](MoviesQuery& q) {
            q.Next();
            q.Insert();
        },
        [](MoviesQuery& q) { q.SetRecNo(4); }, qsBrowse,
        { "StateChange:1", "AfterCancel", "AfterScroll", "AfterScroll" }, 3, 3 },
    { "InsertWhileInsertingUnset", 2, insert, insert, qsInsert,
        { "StateChange:1", "AfterCancel", "AfterScroll", "StateChange:3", "AfterInsert", "AfterScroll" }, 1, 3 },
    { "CloseFromBrowse", 2, none, [](MoviesQuery& q) { q.Close(); }, qsClosed, { "StateChange:0" }, 0, 0 },
    { "CloseWhileInserting", 2, insertTitled, [](MoviesQuery& q) { q.Close(); }, qsClosed, { "StateChange:0" }, 0, 0 },
    { "CloseWhileEditing", 2, editGenre, [](MoviesQuery& q) { q.Close(); }, qsClosed, { "StateChange:0" }, 0, 0 },
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
        query.Open();
        t.setup(query);
    }
    events.clear();
    t.operation(query);
    EXPECT_EQ(query.State(), t.to);
    EXPECT_EQ(events, t.events);
    EXPECT_EQ(query.RecNo(), t.recNo);
    EXPECT_EQ(query.RecordCount(), t.recordCount);
}

INSTANTIATE_TEST_SUITE_P(Store, StateTable, ::testing::ValuesIn(kTransitions),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StoreTest, PostedFilmTakesItsPlaceAfterTheReopenAndFirstFilmIsCurrent)
{
    addFilms({ { "Abyss", 1989 }, { "Zodiac", 2007 } });
    query.AfterPost = [](MoviesQuery& q) {
        q.Close();
        q.Open();
    };
    openQuiet();
    query.Insert();
    query.aqMoviesNameOfMovie.SetAsString("Alien");
    query.Post();
    EXPECT_EQ(titles(), (std::vector<std::string> { "Abyss", "Alien", "Zodiac" }));
    EXPECT_EQ(query.aqMoviesNameOfMovie.AsString(), "Abyss");
    EXPECT_EQ(events,
        (std::vector<std::string> { "StateChange:3", "AfterInsert", "AfterScroll", "StateChange:1", "StateChange:0",
            "StateChange:1", "AfterScroll" }));
}

TEST_F(StoreTest, PickingAnotherFilmWhileAddingSavesAndLeavesTheFirstFilmCurrent)
{
    addFilms({ { "Abyss", 1989 }, { "Brazil", 1985 }, { "Zodiac", 2007 } });
    query.AfterPost = [](MoviesQuery& q) {
        q.Close();
        q.Open();
    };
    openQuiet();
    query.SetRecNo(3);
    query.Insert(); // before Zodiac: row 3
    query.aqMoviesNameOfMovie.SetAsString("Yojimbo");
    query.SetRecNo(2);
    EXPECT_EQ(query.State(), qsBrowse);
    EXPECT_EQ(query.RecNo(), 1);
    EXPECT_EQ(titles(), (std::vector<std::string> { "Abyss", "Brazil", "Yojimbo", "Zodiac" }));
}

TEST_F(StoreTest, CancelledInsertAndCloseWriteNothing)
{
    addFilms({ { "Abyss", 1989 } });
    openQuiet();
    query.Insert();
    query.aqMoviesNameOfMovie.SetAsString("Never stored");
    query.Cancel();
    EXPECT_EQ(query.aqMoviesNameOfMovie.AsString(), "Abyss");
    query.Insert();
    query.aqMoviesNameOfMovie.SetAsString("Never stored either");
    query.Close();
    query.Open();
    EXPECT_EQ(titles(), std::vector<std::string> { "Abyss" });
}

TEST_F(StoreTest, EditedColumnsAreWrittenAndOthersKept)
{
    addFilms({ { "Abyss", 1989 } });
    openQuiet();
    query.Edit();
    query.aqMoviesGenre.SetAsString("");
    query.aqMoviesYear.SetAsString("1990");
    query.Post();
    MoviesQuery reader;
    reader.Open();
    EXPECT_EQ(reader.aqMoviesNameOfMovie.AsString(), "Abyss");
    EXPECT_EQ(reader.aqMoviesYear.AsInteger(), 1990);
    EXPECT_FALSE(reader.aqMoviesGenre.IsNull()); // empty text stays distinct from null
    EXPECT_TRUE(reader.aqMoviesDirector.IsNull());
    EXPECT_GT(reader.aqMoviesID.AsInteger(), 0);
}

TEST_F(StoreTest, EngineRefusingAWriteKeepsStateAndValues)
{
    sql("CREATE TRIGGER NoX BEFORE INSERT ON Movies WHEN NEW.NameOfMovie = 'X' "
        "BEGIN SELECT RAISE(ABORT, 'a film may not be called X'); END;");
    openQuiet();
    query.Insert();
    query.aqMoviesNameOfMovie.SetAsString("X");
    query.aqMoviesYear.SetAsInteger(2001);
    try {
        query.Post();
        FAIL() << "post succeeded";
    } catch (const EEngineError& e) {
        EXPECT_STREQ(e.what(), "a film may not be called X");
    }
    EXPECT_EQ(query.State(), qsInsert);
    EXPECT_EQ(query.aqMoviesYear.AsInteger(), 2001);
    query.aqMoviesNameOfMovie.SetAsString("Y");
    query.Post();
    EXPECT_EQ(query.State(), qsBrowse);
    EXPECT_EQ(query.aqMoviesNameOfMovie.AsString(), "Y");
}
