#pragma once

#include "Sqlite.h"

#include "vantrelle/store/MoviesQuery.h"

#include <bitset>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace vantrelle::store {

using ColumnSet = std::bitset<kMovieColumnCount>;

// The table Movies of one open catalogue file: the query's whole contact with the engine.
class MoviesTable {
public:
    // Opens the file the connection string names and runs the query's command, giving every row in order
    // to `sink`. Throws with a clear message when the file is missing, unreadable, not a SQLite database
    // (or an Access one), has no table Movies, lacks a column or has one of the wrong type. A value that does
    // not convert to its column's type reads as null and is listed in its row's unreadable values.
    // Every failure is an EEngineError; EEngineBusy when another program held the file for 5 s.
    static std::unique_ptr<MoviesTable> open(
        std::string_view connectionString, const std::function<void(StoredRow&&)>& sink);
    // Opens and checks the file as open() does, without reading any row.
    static std::unique_ptr<MoviesTable> openToWrite(std::string_view connectionString);

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
    explicit MoviesTable(const std::filesystem::path& file);
    // Opens the file and makes sure that it holds a table Movies.
    static std::unique_ptr<MoviesTable> connect(std::string_view connectionString);
    std::optional<StoredRow> readRowWhere(std::string_view condition, std::int64_t key) const;
    std::int64_t idOf(const StoredRow& row) const;

    sqlite::Database m_db;
};

} // namespace vantrelle::store
