#include "TestFiles.h"
#include "vantrelle/titleindex/Schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

using namespace vantrelle;

namespace {

using Connection = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

Connection open(const std::filesystem::path& file)
{
    sqlite3* db = nullptr;
    const int result = sqlite3_open(file.c_str(), &db);
    Connection connection(db, &sqlite3_close);
    EXPECT_EQ(result, SQLITE_OK);
    return connection;
}

void exec(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    const int result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    ASSERT_EQ(result, SQLITE_OK) << (error ? error : "") << "\n" << sql;
}

std::vector<std::int64_t> matches(sqlite3* db, const std::string& query)
{
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(
        sqlite3_prepare_v2(db, "SELECT rowid FROM title_words WHERE title_words MATCH ?", -1, &statement, nullptr),
        SQLITE_OK);
    sqlite3_bind_text(statement, 1, query.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<std::int64_t> rowids;
    while (sqlite3_step(statement) == SQLITE_ROW)
        rowids.push_back(sqlite3_column_int64(statement, 0));
    sqlite3_finalize(statement);
    return rowids;
}

} // namespace

// The word index finds title words by prefix, blind to case and accents, and yields them in rank order.
TEST(Schema, WordIndexMatchesPrefixesBlindToCaseAndAccentsInRankOrder)
{
    vantrelle::ScratchDir dir;
    const Connection db = open(dir / "titles.db");
    exec(db.get(), std::string(titleindex::kSchemaSql));
    exec(db.get(),
        "INSERT INTO title_words (rowid, words) VALUES (3, 'Été à Montreuil'), (1, 'Summer & Smoke'), "
        "(2, 'ÉTAGE 8')");

    EXPECT_EQ(matches(db.get(), "ete*"), (std::vector<std::int64_t> { 3 }));
    EXPECT_EQ(matches(db.get(), "et*"), (std::vector<std::int64_t> { 2, 3 }));
    EXPECT_EQ(matches(db.get(), "MONTR* ete*"), (std::vector<std::int64_t> { 3 }));
    EXPECT_EQ(matches(db.get(), "smoke"), (std::vector<std::int64_t> { 1 }));
    EXPECT_TRUE(matches(db.get(), "montreuilx*").empty());
}
