#include "vantrelle/store/ExistingFilms.h"

#include "vantrelle/store/ReadMovies.h"
#include "vantrelle/store/TitleOrder.h"

namespace vantrelle::store {

ExistingFilms ExistingFilms::inCatalogue(std::string_view connectionString)
{
    ExistingFilms films;
    readMovies(
        connectionString, [&](StoredRow&& row) { films.add(row.values); }, CoverReading::skipped);
    return films;
}

void ExistingFilms::add(const MovieRecord& row)
{
    m_keys.insert(key(row));
}

bool ExistingFilms::contains(const MovieRecord& row) const
{
    return m_keys.contains(key(row));
}

ExistingFilms::Key ExistingFilms::key(const MovieRecord& row)
{
    Key key;
    if (const auto* text = std::get_if<std::string>(&row[kNameOfMovieColumn]))
        key.first = sameTitleKey(*text);
    if (const auto* number = std::get_if<std::int32_t>(&row[kYearColumn]))
        key.second = *number;
    return key;
}

} // namespace vantrelle::store
