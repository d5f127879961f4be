#pragma once

#include "Sqlite.h"
#include "ValueReader.h"

#include "vantrelle/store/ReadMovies.h"
#include "vantrelle/store/StoredRow.h"

#include <bitset>
#include <cstddef>
#include <string>

namespace vantrelle::store {

// Which columns of a row a write sets.
using ColumnSet = std::bitset<kMovieColumnCount>;

// Fails unless the statement's result holds every column of Movies, each of a type its field can read:
// "Field '%s' not found", "Type mismatch for field '%s', expecting: %s actual: %s".
void checkColumnTypes(sqlite3* db, sqlite3_stmt* stmt, const ColumnPositions& index);

// "SELECT <every column, or every column but Cover> FROM Movies", the columns named, so that their places stay.
std::string selectColumns(CoverReading covers);
// Every column of the rows whose rowids are bound to its `rowids` parameters, after the rowid itself (the
// result's first column), in no particular order. A parameter left null matches no row.
std::string selectByRowids(std::size_t rowids);
// The rowid, the ID, the title and the columns whose stored value may not convert (text always does): Cover
// only where it holds a number, so that no picture is read.
std::string selectUnreadable();

// The insert of the `set` columns but ID, whose values bindWritten() binds.
std::string insertCommand(const ColumnSet& set);
// The update of the `set` columns but ID of the row whose ID is bound after them; empty when none is set.
std::string updateCommand(const ColumnSet& set);
// Binds the `set` columns but ID of `values` from the first parameter on; returns the next parameter.
int bindWritten(sqlite::Statement& statement, const MovieRecord& values, const ColumnSet& set);

} // namespace vantrelle::store
