#pragma once

#include "vantrelle/store/Field.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrelle::store {

inline constexpr int kMovieColumnCount = 18;

// MovieRecord: the values of one row of Movies in declared column order (ID ... Year), each nullable.
using MovieRecord = std::array<FieldValue, kMovieColumnCount>;
// Where a MovieRecord holds the title and the year.
inline constexpr int kNameOfMovieColumn = 1;
inline constexpr int kYearColumn = 17;

// A value in the catalogue file that does not convert to its column's type, as another program may store it:
// text that is no integer in an integer column ('19x9'), a number with a fraction or beyond 32 bits, binary
// data in an integer column, a number in Cover. It reads as null, and the file keeps it until a new value is
// posted in its place. (Empty text in an integer column is not one of these: it reads as null, as it sets.)
struct UnreadableValue {
    std::string column; // the column's name, "Year"
    std::optional<std::int32_t> id; // the film's ID; none when the ID itself is unreadable
    std::string title; // the film's title, as read
    std::string stored; // what the file holds, as a message shows it: "'19x9'" (at most 40 characters and
                        // "..."), "binary data", "the number 12"
    std::string expected; // what the column takes: "a 32-bit integer", "picture bytes"

    bool operator==(const UnreadableValue&) const = default;
};

// "The column Year of the film with ID 7, "Brazil", holds '19x9', which is not a 32-bit integer".
std::string describe(const UnreadableValue& value);

// One message naming every value of `values` on a line of its own, after a line that says what they mean for
// the user; empty when there is none.
std::string unreadableValuesMessage(const std::vector<UnreadableValue>& values);

// One row of Movies as the file holds it: the values read, and those stored values that read as null because
// they do not convert (in column order).
struct StoredRow {
    MovieRecord values;
    std::vector<UnreadableValue> unreadable;

    bool operator==(const StoredRow&) const = default;
};

} // namespace vantrelle::store
