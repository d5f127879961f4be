#pragma once

#include "FilmList.h"
#include "MoviesSql.h"
#include "RowsAhead.h"
#include "Sqlite.h"
#include "ValueReader.h"

#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/ReadMovies.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace vantrelle::store {

// The table Movies of one open catalogue file: the query's whole contact with the engine.
//
// The query lists the films by ID and title alone (readList), which the file's title index holds, and reads the
// rest of a film's row, its cover with it, when the film becomes current (readFilm); while films become current one
// after another, with the next few dozen (RowsAhead.h).
//
// The connection outlives a close of the query, so that the reopen after a save need not read the list again.
// PRAGMA data_version changes only when another connection commits; while it stays as it was at this
// connection's last read of the list, the file holds exactly the films the query held at its close (its own
// writes included), and that list stands in for reading it. Anything else reads the list again. The journal
// mode is never touched: a catalogue may live on a network share, where write-ahead logging is unsafe.
class MoviesTable {
public:
    // Connects to the file the connection string names and makes sure that it holds a table Movies. Throws
    // with a clear message when the file is missing, unreadable, not a SQLite database (or an Access one) or
    // has no table Movies. Every failure is an EEngineError; EEngineBusy when another program held the file
    // for 5 s.
    static std::unique_ptr<MoviesTable> connect(std::string_view connectionString);
    // Connects and checks the columns as readList() does, without reading any row.
    static std::unique_ptr<MoviesTable> openToWrite(std::string_view connectionString);

    // Whether `connectionString` names the file of this connection, and no other file has taken its place.
    bool reads(std::string_view connectionString) const;

    // Whether the catalogue can only be read: asked so by the connection string (ReadOnly=1), a file the engine
    // may not write, or a folder in which it cannot make its journal.
    bool readOnly() const { return m_readOnly; }
    const std::filesystem::path& file() const { return m_file; }

    // Reads the list: every film's ID and title in list order (FilmList.h), in one read transaction, after
    // checking the columns. Throws as connect() does, and when a column is missing or of the wrong type. When
    // the query gave its list back (keepList) and no other program has written the file since the list was
    // read, that list is returned, its posted films put in place, and the file is read no further.
    FilmList readList();
    // Takes over the list of the query at its close, for the next readList().
    void keepList(FilmList list) { m_keptList = std::move(list); }
    // The row of the film listed as films[at], as the file holds it now; nothing when it is gone. A value that
    // does not convert to its column's type reads as null and is listed in the row's unreadable values.
    std::optional<StoredRow> readFilm(std::span<const ListedFilm> films, std::size_t at);
    // Looks for stored values that do not convert to their column's type in up to `films` more films of
    // `search`, in one read transaction. Reads no cover but those stored as numbers.
    void searchUnreadable(UnreadableSearch& search, std::int64_t films);
    // Gives every row to `sink` in title order, one at a time and keeping none, in one read transaction: for
    // readers of a whole catalogue (an export).
    // With CoverReading::skipped, every Cover reads as null and is not read at all.
    void readEach(const std::function<void(StoredRow&&)>& sink, CoverReading covers);

    // Adds a row with the `set` columns of `values` (never ID) and returns it as stored, with its rowid.
    std::pair<StoredRow, std::int64_t> insert(const MovieRecord& values, const ColumnSet& set);
    // Writes the `set` columns of `values`, and only those, into the row that was read as `original`;
    // EUpdateConflict when that row was changed or deleted since (its unreadable values count too). Returns
    // the row as stored.
    StoredRow update(const StoredRow& original, const MovieRecord& values, const ColumnSet& set);
    // Deletes the row that was read as `original`; EUpdateConflict when it was changed since. A row that is
    // already gone counts as deleted.
    void remove(const StoredRow& original);

    // Adds rows (all columns but ID) in one transaction with one prepared insert: commit() keeps them, and
    // none is kept when the appender is destroyed before.
    class Appender {
    public:
        explicit Appender(MoviesTable& table);
        void add(const MovieRecord& row);
        void commit() { m_transaction.commit(); }

    private:
        sqlite::Transaction m_transaction;
        sqlite::Statement m_insert;
    };

private:
    MoviesTable(const std::filesystem::path& file, bool readOnly);
    // Fails unless the file is still a SQLite database with a table Movies.
    void checkHoldsMovies() const;
    std::int64_t dataVersion() const;
    // Every row, read whole in one read transaction, in the file's order; for a Movies without rowids (a view).
    std::vector<StoredRow> readAll();
    // Whether the rows of Movies have rowids to be read by: not those of a view or a table WITHOUT ROWID.
    bool hasRowids() const;
    // Whether ID is the rowid of Movies, as it is in a catalogue we made.
    bool idIsRowid() const;
    // Every film's rowid, ID and title, in list order, read through the title index.
    std::vector<ListedFilm> readListedFilms() const;
    // readList() of a Movies without rowids: it keeps every row, and readFilm() serves them.
    FilmList listWholeRows();
    // The rows of `films` that the file holds, by rowid, in one statement.
    std::vector<std::pair<std::int64_t, StoredRow>> readRows(std::span<const ListedFilm> films);
    std::optional<StoredRow> readRowWhere(std::string_view condition, std::int64_t key) const;
    std::int64_t idOf(const StoredRow& row) const;

    sqlite::Database m_db;
    std::filesystem::path m_file;
    bool m_readOnly = false;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    std::optional<std::int64_t> m_listVersion; // data_version at the last readList()
    std::optional<FilmList> m_keptList;
    // every column of the rows of up to RowsAhead::kRows rowids, prepared at readList()
    std::optional<sqlite::Statement> m_readFilms;
    ColumnPositions m_filmColumns {};
    RowsAhead m_ahead;
    std::vector<StoredRow> m_wholeRows; // of a Movies without rowids, by the rowid its films are listed with
};

} // namespace vantrelle::store
