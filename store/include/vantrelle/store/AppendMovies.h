#pragma once

#include "vantrelle/store/MoviesQuery.h"

#include <span>
#include <string_view>

namespace vantrelle::store {

// Adds `rows` to the table Movies of the catalogue that `connectionString` names, in one transaction: every
// row, or none when one of them cannot be written. The ID of a row is never used: the engine gives each new
// row the next ID of the table. The file is checked as TMoviesQuery::Open checks it, with the same messages.
// Values go in as they are; convert text with the columns' valueFromText first.
void appendMovies(std::string_view connectionString, std::span<const MovieRecord> rows);

} // namespace vantrelle::store
