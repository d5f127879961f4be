#include "MoviesSql.h"

#include "ColumnTypes.h"
#include "Columns.h"

#include "vantrelle/store/Errors.h"

#include <variant>

namespace vantrelle::store {

namespace {

void bindValue(sqlite::Statement& statement, int parameter, const FieldValue& value)
{
    if (const auto* number = std::get_if<std::int32_t>(&value))
        statement.bindInt(parameter, *number);
    else if (const auto* text = std::get_if<std::string>(&value))
        statement.bindText(parameter, *text);
    else if (const auto* bytes = std::get_if<Bytes>(&value))
        statement.bindBlob(parameter, bytes->data(), bytes->size());
    else
        statement.bindNull(parameter);
}

// "?, ?, ?" for `count` parameters.
std::string parameterMarks(std::size_t count)
{
    std::string marks;
    for (std::size_t i = 0; i < count; ++i)
        marks += marks.empty() ? "?" : ", ?";
    return marks;
}

// The names of every column, or every column but Cover, in declared order, so that their places stay.
std::string columnNames(CoverReading covers)
{
    std::string names;
    for (int k = 0; k < kMovieColumnCount; ++k)
        if (k != kCoverColumn || covers == CoverReading::read)
            names.append(names.empty() ? "" : ", ").append(kColumns[k].name);
    return names;
}

// Whether a write of the `set` columns writes column `k`: never the ID, which the file gives.
bool written(const ColumnSet& set, int k)
{
    return k != kIdColumn && set[k];
}

} // namespace

void checkColumnTypes(sqlite3* db, sqlite3_stmt* stmt, const ColumnPositions& index)
{
    for (int k = 0; k < kMovieColumnCount; ++k) {
        if (index[k] < 0)
            throw EDatabaseError(std::string("Field '") + kColumns[k].name + "' not found");
        const char* declared = sqlite3_column_decltype(stmt, index[k]);
        int autoIncrement = 0;
        const char* table = sqlite3_column_table_name(stmt, index[k]);
        const char* origin = sqlite3_column_origin_name(stmt, index[k]);
        if (table && origin)
            sqlite3_table_column_metadata(db, sqlite3_column_database_name(stmt, index[k]), table, origin, nullptr,
                nullptr, nullptr, nullptr, &autoIncrement);
        const std::string_view declaredType = declared ? declared : "";
        if (!typeCompatible(kColumns[k].type, declaredType, autoIncrement != 0))
            throw EDatabaseError(std::string("Type mismatch for field '") + kColumns[k].name + "', expecting: "
                + expectedTypeName(kColumns[k].type) + " actual: " + columnTypeName(declaredType, autoIncrement != 0));
    }
}

std::string selectColumns(CoverReading covers)
{
    return "SELECT " + columnNames(covers) + " FROM Movies";
}

std::string selectByRowids(std::size_t rowids)
{
    return "SELECT rowid AS listedRowid, " + columnNames(CoverReading::read) + " FROM Movies WHERE rowid IN ("
        + parameterMarks(rowids) + ")";
}

std::string selectUnreadable()
{
    std::string columns = "rowid AS listedRowid";
    for (int k = 0; k < kMovieColumnCount; ++k) {
        const std::string name = kColumns[k].name;
        if (kColumns[k].type == FieldType::ftBlob)
            columns += ", CASE WHEN typeof(" + name + ") IN ('integer', 'real') THEN " + name + " END AS " + name;
        else if (kColumns[k].type != FieldType::ftWideString || k == kTitleColumn)
            columns += ", " + name;
    }
    return "SELECT " + columns + " FROM Movies";
}

std::string insertCommand(const ColumnSet& set)
{
    std::string names;
    std::size_t count = 0;
    for (int k = 0; k < kMovieColumnCount; ++k)
        if (written(set, k)) {
            names += (names.empty() ? "" : ", ") + std::string(kColumns[k].name);
            ++count;
        }
    return names.empty() ? "INSERT INTO Movies DEFAULT VALUES"
                         : "INSERT INTO Movies (" + names + ") VALUES (" + parameterMarks(count) + ")";
}

std::string updateCommand(const ColumnSet& set)
{
    std::string assignments;
    for (int k = 0; k < kMovieColumnCount; ++k)
        if (written(set, k))
            assignments += (assignments.empty() ? "" : ", ") + std::string(kColumns[k].name) + " = ?";
    return assignments.empty() ? "" : "UPDATE Movies SET " + assignments + " WHERE ID = ?";
}

int bindWritten(sqlite::Statement& statement, const MovieRecord& values, const ColumnSet& set)
{
    int parameter = 1;
    for (int k = 0; k < kMovieColumnCount; ++k)
        if (written(set, k))
            bindValue(statement, parameter++, values[k]);
    return parameter;
}

} // namespace vantrelle::store
