#include "vantrelle/sqlite/Sqlite.h"

#include <limits>

namespace vantrelle::sqlite {

Database::Database(const std::filesystem::path& file, int flags, Failure fail)
    : m_fail(fail)
{
    const int result = sqlite3_open_v2(file.c_str(), &m_db, flags, nullptr);
    if (result != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(result);
        sqlite3_close(m_db);
        m_db = nullptr;
        this->fail(result, message);
    }
    sqlite3_extended_result_codes(m_db, 1);
}

Database::~Database()
{
    sqlite3_close(m_db); // every statement is finalized by its owner first
}

void Database::check(int result) const
{
    if (result != SQLITE_OK && result != SQLITE_ROW && result != SQLITE_DONE)
        fail(result, sqlite3_errmsg(m_db));
}

void Database::fail(int result, const std::string& message) const
{
    if (m_fail)
        m_fail(result, message);
    throw Error(message);
}

void Database::exec(std::string_view sql) const
{
    check(sqlite3_exec(m_db, std::string(sql).c_str(), nullptr, nullptr, nullptr));
}

Statement::Statement(const Database& db, std::string_view sql)
    : m_db(db)
{
    if (sql.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        m_db.fail(SQLITE_ERROR, "statement too long");
    m_db.check(sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr));
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

bool Statement::step()
{
    const int result = sqlite3_step(m_stmt);
    m_db.check(result);
    return result == SQLITE_ROW;
}

void Statement::reset()
{
    // sqlite3_reset repeats the last step's failure, which step() has already reported.
    sqlite3_reset(m_stmt);
}

void Statement::bindNull(int index)
{
    m_db.check(sqlite3_bind_null(m_stmt, index));
}

void Statement::bindInt(int index, std::int64_t value)
{
    m_db.check(sqlite3_bind_int64(m_stmt, index, value));
}

void Statement::bindText(int index, std::string_view text)
{
    // A null pointer would bind NULL; empty text must stay empty text.
    m_db.check(
        sqlite3_bind_text64(m_stmt, index, text.empty() ? "" : text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8));
}

void Statement::bindBlob(int index, const void* data, std::size_t size)
{
    if (size == 0)
        m_db.check(sqlite3_bind_zeroblob(m_stmt, index, 0));
    else
        m_db.check(sqlite3_bind_blob64(m_stmt, index, data, size, SQLITE_STATIC));
}

bool Statement::columnIsNull(int index) const
{
    return sqlite3_column_type(m_stmt, index) == SQLITE_NULL;
}

std::int64_t Statement::columnInt(int index) const
{
    return sqlite3_column_int64(m_stmt, index);
}

std::string_view Statement::columnText(int index) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, index)))
                : std::string_view();
}

Transaction::Transaction(const Database& db, Access access)
    : m_db(db)
{
    m_db.exec(access == Access::write ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction()
{
    if (!m_done)
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr); // never throws
}

void Transaction::commit()
{
    m_db.exec("COMMIT");
    m_done = true;
}

} // namespace vantrelle::sqlite
