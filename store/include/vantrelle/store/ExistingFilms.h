#pragma once

#include "vantrelle/store/StoredRow.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace vantrelle::store {

// The title and year of films, to tell whether a film is one of them. Titles that differ only in case and
// accents are the same film, by the rules the list orders them with ("Amélie" and "AMELIE").
class ExistingFilms {
public:
    // The films of the catalogue that `connectionString` names (read with readMovies' checks and messages).
    static ExistingFilms inCatalogue(std::string_view connectionString);

    void add(const MovieRecord& row);
    bool contains(const MovieRecord& row) const;

private:
    using Key = std::pair<std::optional<std::string>, std::optional<std::int32_t>>;
    static Key key(const MovieRecord& row);

    std::set<Key> m_keys;
};

} // namespace vantrelle::store
