#pragma once

#include "vantrelle/store/ConnectionString.h"
#include "vantrelle/store/DataSource.h"
#include "vantrelle/store/Field.h"
#include "vantrelle/store/QueryState.h"
#include "vantrelle/store/StoredRow.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::store {

class MoviesTable;
class MoviesQuery;
struct FilmList;
using DataSetNotifyEvent = std::function<void(MoviesQuery& DataSet)>;

// The movies query aqMovies: "SELECT * FROM Movies ORDER BY NameOfMovie" over the catalogue file that the
// connection string names ("Movies.mdb" in the working directory by default). The title order is the user's
// language's (TitleOrder.h): accents and case beside their base letters, films without a title first, equal
// titles in the order of their rowids (in which they were added).
//
// open() reads the list: the IDs and titles, in order, of every film (a static snapshot: films that other
// programs add or delete, and titles they change, are listed at the next open). The rest of a film's row, its
// cover with it, is read when the film becomes current (while films become current one after another, the next
// few dozen with it, each shown only while the file is unchanged since), and the rows of a few dozen films are
// kept, so that moving back to a film shows it as it was shown. A film that
// another program changed after the open shows its stored values, the title in the list with them; one that
// another program deleted shows its ID and title, every other column null, and a post of it is refused. A reopen
// (the window's, after each save) reads nothing when no other program has written to the file since the query
// last read it: it keeps its list, with the rows it posted moved to their places. Changes are written at once by
// post() and deleteRow(); a post or delete of a row that another program changed or deleted since the open is
// refused (EUpdateConflict). A post that has returned is on disk. A stored value that does not convert to its
// column's type reads as null; the open still succeeds, openWarning() names it, and the value stays in the
// file until a new one is posted in its place.
//
// Events run in this order (OnStateChange of the data source is raised on every change of state, after the
// bound controls have been told):
//   open            qsClosed -> qsBrowse, OnStateChange, AfterScroll if any row
//   insert          qsBrowse -> qsInsert, OnStateChange, AfterInsert, AfterScroll
//   edit            qsBrowse -> qsEdit, OnStateChange, AfterEdit (on an empty result: as insert)
//   post            qsEdit/qsInsert -> qsBrowse, OnStateChange, AfterPost
//   cancel          qsEdit -> qsBrowse, OnStateChange, AfterCancel (after an insert also AfterScroll)
//   delete          qsBrowse, no state change, AfterDelete, AfterScroll
//   move            qsBrowse, AfterScroll (nothing when the move would leave the result)
//   close           any -> qsClosed, OnStateChange
// first() and last() raise AfterScroll also when the current row is already the first or last one; moveBy(0)
// raises nothing (it still finishes a pending change).
// A handler may call any operation, also close() and open() from AfterPost (the window reopens after a save).
//
// Failures are EDatabaseError (EEngineError for the engine's) carrying the message the user sees.
class MoviesQuery {
public:
    MoviesQuery();
    ~MoviesQuery();
    MoviesQuery(const MoviesQuery&) = delete;
    MoviesQuery& operator=(const MoviesQuery&) = delete;

    // Used unchanged at every open. The default names ".\Movies.mdb", the working directory's catalogue.
    std::string ConnectionString { kConnectionString };
    // What the query reads; it orders the rows itself, by TitleCollator::user().
    static constexpr std::string_view kCommandText = "SELECT * FROM Movies ORDER BY NameOfMovie";

    // Events (the window's handlers).
    DataSetNotifyEvent AfterInsert;
    DataSetNotifyEvent AfterEdit;
    DataSetNotifyEvent AfterPost;
    DataSetNotifyEvent AfterCancel;
    DataSetNotifyEvent AfterDelete;
    DataSetNotifyEvent AfterScroll;

    // The column objects, in declared order.
    AutoIncField aqMoviesID;
    WideStringField aqMoviesNameOfMovie;
    WideStringField aqMoviesGenre;
    WideStringField aqMoviesDirector;
    WideStringField aqMoviesTagline;
    IntegerField aqMoviesRuntime; // display "0 'Mins.'", edit "0"
    WideStringField aqMoviesFormat;
    IntegerField aqMoviesNoOfCds;
    WideStringField aqMoviesCastMemberName1;
    WideStringField aqMoviesCastMemberName2;
    WideStringField aqMoviesCastMemberName3;
    WideStringField aqMoviesCastMemberName4;
    WideStringField aqMoviesCharacter1;
    WideStringField aqMoviesCharacter2;
    WideStringField aqMoviesCharacter3;
    WideStringField aqMoviesCharacter4;
    BlobField aqMoviesCover;
    IntegerField aqMoviesYear;

    QueryState state() const { return m_state; }
    bool active() const { return m_state != qsClosed; }

    // Connects, reads the result and binds the columns by name ("Field '%s' not found", "Type mismatch for
    // field '%s', expecting: %s actual: %s"). Does nothing when already open. A failure is thrown with no
    // event raised, and the query stays qsClosed.
    void open();
    // The stored values of the open catalogue that do not convert and read as null, in list order and column
    // order; none while closed. Found at the first question after an open, which reads every row but the
    // covers (EEngineError when the file cannot be read), and kept up to date by the query's own posts and
    // deletes.
    const std::vector<UnreadableValue>& UnreadableValues() const;
    // Looks for them in up to `films` more films, in a read of its own; true when every film has been looked
    // at, and UnreadableValues() answers without reading. A window looks a little at a time, between its events.
    bool searchUnreadableValues(int films);
    // One message that names every such value, for the caller to show once the open is over; empty when
    // every value converted.
    std::string openWarning() const { return unreadableValuesMessage(UnreadableValues()); }
    // Drops a pending insert or edit without writing it, and releases the result. The connection and the
    // covers stay for the next open, until the query goes or opens another file.
    // The window's destruction closes without OnStateChange: it clears the data source's handler first.
    void close();

    // Whether the open catalogue can only be read (ReadOnly=1 in the connection string, a file or folder that may
    // not be written): insert, edit and deleteRow then refuse at once, before anything is typed.
    bool readOnly() const;
    // Throws EDatabaseError "The catalogue "FILE" is read-only: films cannot be added, edited or deleted" when
    // readOnly().
    void checkWritable() const;

    void insert();
    void edit();
    void post();
    void cancel();
    void deleteRow();

    // Moves of the current row. A pending insert or edit is finished first (update the row, then post when
    // a column was set, else cancel). A move that would leave the result changes nothing and raises no
    // AfterScroll.
    void first();
    void last();
    void next();
    void prior();
    void moveBy(int distance);
    // Makes row `recNo` (1-based, as recNo) current; the grid's pick of a line. When finishing the pending
    // change reopened the query (a post whose AfterPost reopens), the row that the reopen made current stays.
    void setRecNo(int recNo);

    // Rows in the result, counting a row being inserted.
    int recordCount() const;
    // The current row's number, 1-based; 0 when there is none.
    int recNo() const { return m_current < 0 ? 0 : m_current + 1; }
    bool isEmpty() const { return recordCount() == 0; }
    // Set when a move tried to go before the first / past the last row (and by first() / last()).
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    // A column has been set since the insert or edit began.
    bool modified() const { return m_modified.any(); }

    // The column object named `name` (any case); "Field '%s' not found" otherwise.
    Field& fieldByName(std::string_view name);
    const std::array<Field*, kMovieColumnCount>& fields() const { return m_fields; }

    // The display text of `field` in row `recNo` (1-based) without moving there; for the list of titles. The ID
    // and the title are the list's; another column reads the film's row, as a move there would.
    std::string displayTextAt(int recNo, const Field& field) const;

private:
    friend class Field;
    friend class DataSource;
    const FieldValue& currentValue(int column) const;
    void setCurrentValue(int column, FieldValue value);
    void checkActive() const;
    // In qsEdit or qsInsert: a row is being changed.
    bool editing() const { return m_state == qsEdit || m_state == qsInsert; }
    void checkEditing() const;

    void setState(QueryState state);
    void notifyDataSetChanged();
    void notifyDataSetScrolled();
    void notifyRecordChanged(const Field* field);
    void updateRecord();
    void fire(const DataSetNotifyEvent& event);
    // Finishes a pending insert or edit as a move does: post when a column was set, else cancel.
    void finishPending();
    // Finishes a pending change before the current row is left; false when there is then no row of the same
    // result to move to (the post closed or reopened it, or it is empty).
    bool finishPendingBeforeMove();
    void postRow();
    void moveTo(int index);
    void doInsert();
    void releaseResult();
    // The row of the film at `index` of the list: held, or read now (a film that is gone reads as its ID and
    // title, every other column null).
    const StoredRow& loadFilm(int index) const;
    // The rowid of the current film, whose row the query keeps while it reads others.
    std::int64_t currentRowid() const;
    // Takes `stored` as the row the query has just written for `film`.
    void takePosted(int index, StoredRow stored);

    std::unique_ptr<MoviesTable> m_table; // the catalogue file's connection, kept while closed
    std::array<Field*, kMovieColumnCount> m_fields;
    QueryState m_state = qsClosed;
    std::unique_ptr<FilmList> m_list; // while open
    mutable std::optional<std::vector<UnreadableValue>> m_unreadableInOrder;
    int m_current = -1;
    bool m_bof = true;
    bool m_eof = true;
    MovieRecord m_buffer; // the row being inserted or edited
    std::bitset<kMovieColumnCount> m_modified; // columns set since the insert or edit began
    int m_insertedAt = -1; // the row being inserted, while qsInsert
    std::uint64_t m_nextSerial = 1;
    std::uint64_t m_openCount = 0; // tells a move that finishing the pending change reopened
    std::vector<DataSource*> m_sources;
};

} // namespace vantrelle::store
