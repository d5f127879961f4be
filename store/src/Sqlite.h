#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantrelle::store::sqlite {

// An open SQLite connection. Every SQLite call's result goes through check().
class Database {
public:
    Database(const std::filesystem::path& file, int flags);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return m_db; }
    // Throws EEngineError with SQLite's message unless `result` is SQLITE_OK (or one of the step results).
    void check(int result) const;
    void exec(std::string_view sql) const;

private:
    sqlite3* m_db = nullptr;
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
    void bindNull(int index);
    void bindInt(int index, std::int64_t value);
    void bindText(int index, std::string_view text);
    void bindBlob(int index, const void* data, std::size_t size);

private:
    const Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// BEGIN IMMEDIATE ... COMMIT; rolled back when left without commit().
class Transaction {
public:
    explicit Transaction(const Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    const Database& m_db;
    bool m_done = false;
};

} // namespace vantrelle::store::sqlite
