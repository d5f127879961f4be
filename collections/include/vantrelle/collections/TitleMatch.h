#pragma once

// Matching the films of a collection file against the title index.

#include "vantrelle/collections/FileFilm.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrelle::titleindex {
class TitleIndex;
}

namespace vantrelle::collections {

enum class MatchStatus {
    matched, // one title of the index, clearly
    ambiguous, // several titles the file cannot tell apart: the user chooses among the candidates
    notFound, // no title of the index
    fromFile, // not matched, added with what the file holds
    duplicate, // already in the catalogue (or earlier in the file): not added again
};

// "matched", "ambiguous", "not-found", "from-file", "duplicate": as reports write them.
std::string_view statusName(MatchStatus status);

// A title of the index that a film may be.
struct Candidate {
    std::int64_t number = 0;
    std::string title; // UTF-8, as the index has it
    std::optional<int> year;

    bool operator==(const Candidate&) const = default;
};

struct TitleMatch {
    MatchStatus status = MatchStatus::notFound;
    std::optional<std::int64_t> number; // the title matched
    std::vector<Candidate> candidates; // when ambiguous: best first

    bool operator==(const TitleMatch&) const = default;
};

// Matches films against one title index. A title number in the file matches that title exactly. Otherwise the
// title, then the original title, is searched with the index's own search (usually one search a film): a title
// whose words are the film's, folded as the search folds them (and with "ae", "oe", "ue" read as "ä", "ö", "ü"),
// comes before one that only begins with them, which comes before one that merely holds them; with a year in the
// file only titles of that year or one off count, the closer first. One best title is matched, several of the
// same rank are ambiguous, none is not found. Gives only matched, ambiguous and notFound. One object serves one
// thread at a time.
class TitleMatcher {
public:
    explicit TitleMatcher(const titleindex::TitleIndex& index);
    ~TitleMatcher();
    TitleMatcher(const TitleMatcher&) = delete;
    TitleMatcher& operator=(const TitleMatcher&) = delete;

    TitleMatch match(const FileFilm& film) const;

private:
    struct Parts;
    std::unique_ptr<Parts> m;
};

} // namespace vantrelle::collections
