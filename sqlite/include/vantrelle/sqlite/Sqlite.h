#pragma once

#include "vantrelle/Error.h"

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantrelle::sqlite {

// What a failed SQLite call throws unless the connection was given its own failure.
class Error : public vantrelle::Error {
public:
    using vantrelle::Error::Error;
};

// Throws the caller's own exception for SQLite's result code and message, so a module keeps reporting engine
// failures in its terms (the store's EEngineError, or EEngineBusy when another program holds the file). The
// binding's own failures come with SQLITE_ERROR. When it returns anyway, sqlite::Error is thrown.
using Failure = void (*)(int result, const std::string& message);

// An open SQLite connection. Every SQLite call's result goes through check().
class Database {
public:
    Database(const std::filesystem::path& file, int flags, Failure fail = nullptr);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return m_db; }
    // Throws with SQLite's message unless `result` is SQLITE_OK (or one of the step results).
    void check(int result) const;
    [[noreturn]] void fail(int result, const std::string& message) const;
    void exec(std::string_view sql) const;

private:
    sqlite3* m_db = nullptr;
    Failure m_fail = nullptr;
};

// A prepared statement of one connection.
class Statement {
public:
    Statement(const Database& db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* handle() const { return m_stmt; }
    // Steps once: true when a row is there, false when done.
    bool step();
    // Makes the statement ready to run again; the bindings stay.
    void reset();
    void bindNull(int index);
    void bindInt(int index, std::int64_t value);
    // The text must stay alive until the statement has stepped.
    void bindText(int index, std::string_view text);
    void bindBlob(int index, const void* data, std::size_t size);

    bool columnIsNull(int index) const;
    std::int64_t columnInt(int index) const;
    // Valid until the next step or reset.
    std::string_view columnText(int index) const;

private:
    const Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// BEGIN ... COMMIT; rolled back when left without commit(). A write transaction takes the write lock at once
// (BEGIN IMMEDIATE); a read transaction takes the read lock at its first read and keeps one snapshot to its end.
class Transaction {
public:
    enum class Access { read, write };
    explicit Transaction(const Database& db, Access access = Access::write);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    const Database& m_db;
    bool m_done = false;
};

} // namespace vantrelle::sqlite
