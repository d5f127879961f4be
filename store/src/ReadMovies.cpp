#include "vantrelle/store/ReadMovies.h"

#include "MoviesTable.h"

namespace vantrelle::store {

void readMovies(std::string_view connectionString, const std::function<void(MovieRecord&&)>& sink)
{
    MoviesTable::open(connectionString, sink);
}

} // namespace vantrelle::store
