#include "StoreFixture.h"

#include <functional>

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

namespace {

Bytes cover(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

// Everything the query shows of every row, in its order.
std::vector<MovieRecord> shown(MoviesQuery& q)
{
    std::vector<MovieRecord> rows;
    for (int recNo = 1; recNo <= q.recordCount(); ++recNo) {
        q.setRecNo(recNo);
        MovieRecord& row = rows.emplace_back();
        for (const Field* field : q.fields())
            row[field->index()] = field->value();
    }
    q.first();
    return rows;
}

// What this query changes, and what another program changes after it, before the reopen.
struct Change {
    const char* name;
    std::function<void(MoviesQuery&)> ours;
    std::string theirs; // SQL; empty for none
    bool theirsFirst = false; // they change the file between our open and our change
};

void post(MoviesQuery& q, const std::function<void(MoviesQuery&)>& set)
{
    q.edit();
    set(q);
    q.post();
}

void retitle(MoviesQuery& q)
{
    post(q, [](MoviesQuery& r) { r.aqMoviesNameOfMovie.setAsString("Zardoz"); });
}

const Change kChanges[] = {
    { "nothing", [](MoviesQuery&) {}, "" },
    { "our post of a title", retitle, "" },
    { "our post of a cover",
        [](MoviesQuery& q) { post(q, [](MoviesQuery& r) { r.aqMoviesCover.setAsBytes(cover("BM new")); }); }, "" },
    { "our post over an unreadable cover",
        [](MoviesQuery& q) {
            q.last();
            post(q, [](MoviesQuery& r) { r.aqMoviesCover.setAsBytes(cover("BM mended")); });
        },
        "" },
    { "our post of a new film",
        [](MoviesQuery& q) {
            q.insert();
            q.aqMoviesNameOfMovie.setAsString("Amelie");
            q.aqMoviesCover.setAsBytes(cover("BM amelie"));
            q.post();
        },
        "" },
    { "our delete", [](MoviesQuery& q) { q.deleteRow(); }, "" },
    { "our post of a title that another film has",
        [](MoviesQuery& q) { post(q, [](MoviesQuery& r) { r.aqMoviesNameOfMovie.setAsString("Dune"); }); }, "" },
    { "our posts of several titles",
        [](MoviesQuery& q) {
            q.last();
            post(q, [](MoviesQuery& r) { r.aqMoviesNameOfMovie.setAsString("Brazil"); });
            q.first();
            post(q, [](MoviesQuery& r) { r.aqMoviesNameOfMovie.setAsString("Casablanca"); });
            q.next();
            post(q, [](MoviesQuery& r) { r.aqMoviesNameOfMovie.setAsString("Aliens"); });
            q.next();
            post(q, [](MoviesQuery& r) { r.aqMoviesNameOfMovie.clear(); });
        },
        "" },
    { "our new film with a title that another film has and a delete",
        [](MoviesQuery& q) {
            q.next();
            q.insert();
            q.aqMoviesNameOfMovie.setAsString("alien");
            q.post();
            q.last();
            q.deleteRow();
        },
        "" },
    { "their insert", retitle, "INSERT INTO Movies (NameOfMovie, Cover) VALUES ('Heat', x'424d2a')" },
    { "their change of a cover", retitle, "UPDATE Movies SET Cover = x'424d2b' WHERE NameOfMovie = 'Brazil'" },
    { "their change of a cover to a number", retitle, "UPDATE Movies SET Cover = 7 WHERE NameOfMovie = 'Brazil'" },
    { "their delete", retitle, "DELETE FROM Movies WHERE NameOfMovie = 'Brazil'" },
    { "their change before ours",
        [](MoviesQuery& q) {
            q.next(); // Brazil, changed by them below before this post
            post(q, [](MoviesQuery& r) { r.aqMoviesGenre.setAsString("Satire"); });
        },
        "UPDATE Movies SET Cover = x'424d2c' WHERE NameOfMovie = 'Casablanca'", true },
};

class Reopen : public StoreTest, public ::testing::WithParamInterface<Change> { };

} // namespace

// Whatever happened in between, the reopen shows what a first open of the file shows, with the events of an
// open and the first film current.
TEST_P(Reopen, ShowsWhatAFreshOpenShows)
{
    const Change& change = GetParam();
    sql("INSERT INTO Movies (ID, NameOfMovie, Cover, Year) VALUES (1, 'Alien', x'424d01', 1979), "
        "(2, 'Brazil', x'424d02', '19x9'), (3, 'Casablanca', NULL, 1942), (4, 'Dune', 12, 1984);");
    query.open();
    if (change.theirsFirst)
        sql(change.theirs);
    change.ours(query);
    if (!change.theirs.empty() && !change.theirsFirst)
        sql(change.theirs);
    query.close();
    events.clear();
    query.open();
    EXPECT_EQ(events, (std::vector<std::string> { "StateChange:1", "AfterScroll" }));
    EXPECT_EQ(query.recNo(), 1);

    MoviesQuery fresh;
    fresh.open();
    EXPECT_EQ(shown(query), shown(fresh));
    EXPECT_EQ(query.UnreadableValues(), fresh.UnreadableValues());
}

INSTANTIATE_TEST_SUITE_P(Store, Reopen, ::testing::ValuesIn(kChanges), [](const auto& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
});

TEST_F(StoreTest, AnotherProgramsCoverIsSeenOnlyAfterTheReopen)
{
    sql("INSERT INTO Movies (NameOfMovie, Cover) VALUES ('Alien', x'424d01'), ('Brazil', x'424d02');");
    query.open();
    query.edit();
    query.aqMoviesGenre.setAsString("Horror");
    query.post();
    sql("UPDATE Movies SET Cover = x'424d03' WHERE NameOfMovie = 'Alien';");
    query.next();
    query.prior();
    EXPECT_EQ(query.aqMoviesCover.asBytes(), cover("BM\x01"));
    query.close();
    query.open();
    EXPECT_EQ(query.aqMoviesCover.asBytes(), cover("BM\x03"));
}

TEST_F(StoreTest, ACoverChangedElsewhereDuringAnEditIsNotOverwritten)
{
    sql("INSERT INTO Movies (NameOfMovie, Cover) VALUES ('Alien', x'424d01');");
    query.open();
    query.close(); // the covers are kept
    query.open();
    query.edit();
    query.aqMoviesGenre.setAsString("Horror");
    sql("UPDATE Movies SET Cover = x'424d03';");
    EXPECT_THROW(query.post(), EUpdateConflict);
    EXPECT_EQ(query.state(), qsEdit);
    query.cancel();
    query.close();
    query.open();
    EXPECT_EQ(query.aqMoviesCover.asBytes(), cover("BM\x03"));
    EXPECT_EQ(query.aqMoviesGenre.asString(), "");
}

TEST_F(StoreTest, AFilePutInPlaceOfTheCatalogueIsReadAfresh)
{
    sql("INSERT INTO Movies (NameOfMovie, Cover) VALUES ('Alien', x'424d01');");
    query.open();
    query.close();
    const auto file = m_dir / "Movies.mdb";
    std::filesystem::rename(file, m_dir / "Old.mdb");
    createCatalogue(file);
    sql("INSERT INTO Movies (NameOfMovie, Cover) VALUES ('Alien', x'424d09');");
    query.open();
    EXPECT_EQ(query.aqMoviesCover.asBytes(), cover("BM\x09"));
}
