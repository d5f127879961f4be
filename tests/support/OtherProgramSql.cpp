#include "OtherProgramSql.h"

#include <sqlite3.h>

namespace vantrelle::test {

std::string runSql(const std::filesystem::path& file, const std::string& statements)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        std::string message = sqlite3_errmsg(db);
        sqlite3_close(db);
        return message.empty() ? "cannot open" : message;
    }
    char* error = nullptr;
    const int result = sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &error);
    std::string message = result == SQLITE_OK ? "" : error ? error : sqlite3_errstr(result);
    sqlite3_free(error);
    sqlite3_close(db);
    return message;
}

} // namespace vantrelle::test
