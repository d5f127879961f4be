#pragma once

#include "vantrelle/store/MoviesQuery.h"

#include <functional>
#include <string_view>

namespace vantrelle::store {

// Reads the films of the catalogue that `connectionString` names in the query's order (by title), with the
// checks and messages of MoviesQuery::Open, and gives each row to `sink` without keeping it: for readers of a
// whole catalogue that need no current row (an export). A row's unreadable values are null in it and listed.
// Readers that need no picture skip the covers, which are most of a catalogue's bytes.
enum class CoverReading { read, skipped };

void readMovies(std::string_view connectionString, const std::function<void(StoredRow&&)>& sink,
    CoverReading covers = CoverReading::read);

} // namespace vantrelle::store
