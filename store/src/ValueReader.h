#pragma once

#include "Columns.h"

#include "vantrelle/store/StoredRow.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::store {

// Where each declared column of Movies sits in a statement's result; -1 where it is not selected.
using ColumnPositions = std::array<int, kMovieColumnCount>;

ColumnPositions resultColumns(sqlite3_stmt* stmt);

// Reads a row as the columns' types. A value that another program stored with another storage class is
// converted where it can be (integral numbers, integer text, numbers as text, text as bytes); empty text in
// an integer column is null, as when it is set. Any other value reads as null and is listed as unreadable.
class ValueReader {
public:
    ValueReader(sqlite3_stmt* stmt, const ColumnPositions& index)
        : m_stmt(stmt)
        , m_index(index)
    {
    }

    // The current row of the statement.
    StoredRow row() const;
    // The value of column `k` alone (null when unreadable, or not selected); an unreadable one is added to
    // `unreadable` when given.
    FieldValue read(int k, std::vector<UnreadableValue>* unreadable = nullptr) const;
    // The value of the text column `k`, without a field value around it; nothing for null or not selected.
    std::optional<std::string> text(int k) const;
    // The same of the integer column `k`; nothing also for a value that does not convert.
    std::optional<std::int32_t> integer(int k) const;
    // Fills in which film an unreadable value belongs to.
    static void nameFilm(UnreadableValue& value, const StoredRow& row);
    // A stored integer as an integer column takes it: nothing beyond 32 bits.
    static std::optional<std::int32_t> narrowed(std::int64_t value)
    {
        if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max())
            return static_cast<std::int32_t>(value);
        return std::nullopt;
    }

private:
    std::optional<std::int32_t> convertedInteger(int i, int storage) const;
    std::string_view blobOf(int i) const;

    sqlite3_stmt* m_stmt;
    const ColumnPositions& m_index;
};

} // namespace vantrelle::store
