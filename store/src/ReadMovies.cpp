#include "vantrelle/store/ReadMovies.h"

#include "MoviesTable.h"

namespace vantrelle::store {

void readMovies(std::string_view connectionString, const std::function<void(StoredRow&&)>& sink, CoverReading covers)
{
    MoviesTable::connect(connectionString)->readEach(sink, covers);
}

} // namespace vantrelle::store
