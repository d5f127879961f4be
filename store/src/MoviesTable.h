#pragma once

#include "Sqlite.h"

#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/ReadMovies.h"

#include <bitset>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace vantrelle::store {

using ColumnSet = std::bitset<kMovieColumnCount>;

// The table Movies of one open catalogue file: the query's whole contact with the engine.
//
// The connection outlives a close of the query, so that the reopen after a save need not read the table
// again. PRAGMA data_version changes only when another connection commits; while it stays as it was at this
// connection's last read, the file holds exactly the rows the query held at its close (its own writes
// included), and those rows stand in for reading them. Anything else reads the whole table. The journal mode
// is never touched: a catalogue may live on a network share, where write-ahead logging is unsafe.
class MoviesTable {
public:
    // Connects to the file the connection string names and makes sure that it holds a table Movies. Throws
    // with a clear message when the file is missing, unreadable, not a SQLite database (or an Access one) or
    // has no table Movies. Every failure is an EEngineError; EEngineBusy when another program held the file
    // for 5 s.
    static std::unique_ptr<MoviesTable> connect(std::string_view connectionString);
    // Connects and checks the columns as readAll() does, without reading any row.
    static std::unique_ptr<MoviesTable> openToWrite(std::string_view connectionString);

    // Whether `connectionString` names the file of this connection, and no other file has taken its place.
    bool reads(std::string_view connectionString) const;

    // Whether the catalogue can only be read: asked so by the connection string (ReadOnly=1), a file the engine
    // may not write, or a folder in which it cannot make its journal.
    bool readOnly() const { return m_readOnly; }
    const std::filesystem::path& file() const { return m_file; }

    // Reads every row in one read transaction, in title order by the user's language rules (TitleOrder.h).
    // Throws as connect() does, and when a column is missing or of the wrong type. A value that does not
    // convert to its column's type reads as null and is listed in its row's unreadable values.
    std::vector<StoredRow> readAll();
    // Gives every row to `sink` in the order of readAll(), one at a time and keeping none, in one read
    // transaction: for readers of a whole catalogue (an export).
    // With CoverReading::skipped, every Cover reads as null and is not read at all.
    void readEach(const std::function<void(StoredRow&&)>& sink, CoverReading covers);
    // Takes over the rows that the query held at its close, for the next readAll(): `inOrder` as readAll() gave
    // them (less those deleted since), `posted` those the query wrote since, in any order.
    void keepRows(std::vector<StoredRow> inOrder, std::vector<StoredRow> posted)
    {
        m_keptRows = KeptRows { std::move(inOrder), std::move(posted) };
    }

    // Adds a row with the `set` columns of `values` (never ID) and returns it as stored.
    StoredRow insert(const MovieRecord& values, const ColumnSet& set);
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
    struct KeptRows {
        std::vector<StoredRow> inOrder;
        std::vector<StoredRow> posted;
    };

    MoviesTable(const std::filesystem::path& file, bool readOnly);
    // Fails unless the file is still a SQLite database with a table Movies.
    void checkHoldsMovies() const;
    std::int64_t dataVersion() const;
    std::optional<StoredRow> readRowWhere(std::string_view condition, std::int64_t key) const;
    std::int64_t idOf(const StoredRow& row) const;

    sqlite::Database m_db;
    std::filesystem::path m_file;
    bool m_readOnly = false;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    std::optional<std::int64_t> m_readVersion; // data_version at the last readAll()
    std::optional<KeptRows> m_keptRows;
};

} // namespace vantrelle::store
