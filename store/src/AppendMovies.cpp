#include "vantrelle/store/AppendMovies.h"

#include "MoviesTable.h"

namespace vantrelle::store {

void appendMovies(std::string_view connectionString, std::span<const MovieRecord> rows)
{
    MoviesTable::openToWrite(connectionString)->append(rows);
}

} // namespace vantrelle::store
