#include "ValueReader.h"

#include "IntegerText.h"
#include "StoredText.h"

#include "vantrelle/CodePage.h"

#include <cmath>
#include <limits>
#include <strings.h>

namespace vantrelle::store {

namespace {

std::string_view textOf(sqlite3_stmt* stmt, int i)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, i))) : "";
}

Bytes toBytes(std::string_view bytes)
{
    // From bytes of the vector's own type, which it copies whole rather than one by one.
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return Bytes(data, data + bytes.size());
}

void unreadable(int k, std::string stored, std::string expected, std::vector<UnreadableValue>* list)
{
    if (list)
        list->push_back({ kColumns[k].name, std::nullopt, {}, std::move(stored), std::move(expected) });
}

} // namespace

ColumnPositions resultColumns(sqlite3_stmt* stmt)
{
    ColumnPositions index;
    index.fill(-1);
    const int count = sqlite3_column_count(stmt);
    for (int k = 0; k < kMovieColumnCount; ++k)
        for (int i = 0; i < count && index[k] < 0; ++i)
            if (strcasecmp(sqlite3_column_name(stmt, i), kColumns[k].name) == 0)
                index[k] = i;
    return index;
}

StoredRow ValueReader::row() const
{
    StoredRow row;
    for (int k = 0; k < kMovieColumnCount; ++k)
        row.values[k] = read(k, &row.unreadable);
    for (UnreadableValue& value : row.unreadable)
        nameFilm(value, row);
    return row;
}

void ValueReader::nameFilm(UnreadableValue& value, const StoredRow& row)
{
    const auto* id = std::get_if<std::int32_t>(&row.values[kIdColumn]);
    const auto* title = std::get_if<std::string>(&row.values[kTitleColumn]);
    value.id = id ? std::optional(*id) : std::nullopt;
    value.title = title ? *title : std::string();
}

FieldValue ValueReader::read(int k, std::vector<UnreadableValue>* unreadableValues) const
{
    const int i = m_index[k];
    if (i < 0)
        return {}; // not selected
    const int storage = sqlite3_column_type(m_stmt, i);
    if (storage == SQLITE_NULL)
        return {};
    switch (kColumns[k].type) {
    case FieldType::ftAutoInc:
    case FieldType::ftInteger:
        if (const auto value = convertedInteger(i, storage))
            return *value;
        if (storage == SQLITE_BLOB)
            unreadable(k, "binary data", "a 32-bit integer", unreadableValues);
        else if (storage != SQLITE_TEXT || sqlite3_column_bytes(m_stmt, i) > 0)
            unreadable(k, quotedText(shortenedText(textOf(m_stmt, i))), "a 32-bit integer", unreadableValues);
        return {};
    case FieldType::ftWideString:
        return text(k).value_or(std::string());
    case FieldType::ftBlob:
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
            unreadable(k, "the number " + std::string(textOf(m_stmt, i)), "picture bytes", unreadableValues);
            return {};
        }
        return toBytes(storage == SQLITE_TEXT ? textOf(m_stmt, i) : blobOf(i));
    }
    return {};
}

std::optional<std::string> ValueReader::text(int k) const
{
    // Only null reads as no text: numbers read as they are written, bytes as they are, as in read().
    const int i = m_index[k];
    const auto* text = i < 0 ? nullptr : reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
    if (!text)
        return std::nullopt;
    return ansiToUtf8(std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, i))));
}

std::optional<std::int32_t> ValueReader::integer(int k) const
{
    const int i = m_index[k];
    const int storage = i < 0 ? SQLITE_NULL : sqlite3_column_type(m_stmt, i);
    return storage == SQLITE_NULL ? std::nullopt : convertedInteger(i, storage);
}

std::optional<std::int32_t> ValueReader::convertedInteger(int i, int storage) const
{
    constexpr auto kLow = std::numeric_limits<std::int32_t>::min();
    constexpr auto kHigh = std::numeric_limits<std::int32_t>::max();
    if (storage == SQLITE_INTEGER)
        return narrowed(sqlite3_column_int64(m_stmt, i));
    if (storage == SQLITE_FLOAT) {
        const double value = sqlite3_column_double(m_stmt, i);
        if (std::isfinite(value) && value == std::trunc(value) && value >= kLow && value <= kHigh)
            return static_cast<std::int32_t>(value);
    } else if (storage == SQLITE_TEXT) {
        return parseInteger(textOf(m_stmt, i));
    }
    return std::nullopt;
}

std::string_view ValueReader::blobOf(int i) const
{
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, i));
    return data ? std::string_view(data, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, i))) : "";
}

} // namespace vantrelle::store
