#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrelle::titleindex {

// One billed cast entry: the person's name and the characters they play, joined by " / " (empty
// when the dataset names none).
struct CastMember {
    std::string name;
    std::string characters;
};

// One title of the index as its page shows it. Texts are UTF-8, as the datasets hold them.
struct Title {
    std::int64_t number = 0;
    std::string type; // titleType: movie, short, tvSeries, ...
    std::string title;
    std::optional<int> year;
    std::optional<int> runtime; // minutes
    std::vector<std::string> genres;
    std::vector<std::string> directors; // in crew order
    std::vector<CastMember> cast; // in billing order, at most four
    std::int64_t votes = 0;
};

// One match of a search by words.
struct SearchHit {
    std::int64_t number = 0;
    std::string title;
    std::optional<int> year;
};

} // namespace vantrelle::titleindex
