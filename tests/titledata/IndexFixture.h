#pragma once

// Helpers of the title index tests: the hand-made dataset in tests/fixtures/titles, copied and gzipped
// as a test needs it, and the index read back with SQL.

#include "Gzip.h"
#include "TestFiles.h"
#include "vantrelle/sqlite/Sqlite.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::test {

inline const std::filesystem::path kDatasetFixture = std::filesystem::path(VANTRELLE_FIXTURES_DIR) / "titles";

inline const std::vector<std::string> kDatasetNames
    = { "title.basics", "title.ratings", "title.crew", "title.principals", "name.basics" };

// Copies the fixture dataset into `dir`, as NAME.tsv.gz when `gzipped`, else as NAME.tsv.
inline void copyDataset(const std::filesystem::path& dir, bool gzipped)
{
    std::filesystem::create_directories(dir);
    for (const std::string& name : kDatasetNames) {
        const std::string bytes = readFile(kDatasetFixture / (name + ".tsv"));
        if (gzipped)
            writeFile(dir / (name + ".tsv.gz"), gzip(bytes));
        else
            writeFile(dir / (name + ".tsv"), bytes);
    }
}

// Every row of a query, its columns joined by "|", NULL as "NULL".
inline std::vector<std::string> rows(const std::filesystem::path& index, const std::string& sql)
{
    sqlite::Database db(index, SQLITE_OPEN_READONLY);
    sqlite::Statement query(db, sql);
    std::vector<std::string> result;
    while (query.step()) {
        std::string row;
        for (int column = 0; column < sqlite3_column_count(query.handle()); ++column) {
            if (column > 0)
                row += "|";
            row += query.columnIsNull(column) ? "NULL" : std::string(query.columnText(column));
        }
        result.push_back(row);
    }
    return result;
}

} // namespace vantrelle::test
