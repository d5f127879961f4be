#pragma once

#include "vantrelle/store/Field.h"
#include "vantrelle/store/MoviesQuery.h"

#include <array>
#include <string_view>

namespace vantrelle::store {

// The columns of Movies in declared order, as the query binds them.
struct ColumnSpec {
    const char* name;
    FieldType type;
    int size; // Unicode characters, text columns only
};

inline constexpr std::array<ColumnSpec, kMovieColumnCount> kColumns = { {
    { "ID", FieldType::ftAutoInc, 0 },
    { "NameOfMovie", FieldType::ftWideString, 50 },
    { "Genre", FieldType::ftWideString, 50 },
    { "Director", FieldType::ftWideString, 50 },
    { "Tagline", FieldType::ftWideString, 200 },
    { "Runtime", FieldType::ftInteger, 0 },
    { "Format", FieldType::ftWideString, 50 },
    { "NoOfCds", FieldType::ftInteger, 0 },
    { "CastMemberName1", FieldType::ftWideString, 50 },
    { "CastMemberName2", FieldType::ftWideString, 50 },
    { "CastMemberName3", FieldType::ftWideString, 50 },
    { "CastMemberName4", FieldType::ftWideString, 50 },
    { "Character1", FieldType::ftWideString, 50 },
    { "Character2", FieldType::ftWideString, 50 },
    { "Character3", FieldType::ftWideString, 50 },
    { "Character4", FieldType::ftWideString, 50 },
    { "Cover", FieldType::ftBlob, 0 },
    { "Year", FieldType::ftInteger, 0 },
} };

inline constexpr int kIdColumn = 0;
inline constexpr int kTitleColumn = 1;
inline constexpr int kCoverColumn = 16;

// The position of the column named `name` (as in kColumns) in declared order; -1 when there is none.
constexpr int columnIndex(std::string_view name)
{
    for (int k = 0; k < kMovieColumnCount; ++k)
        if (name == kColumns[k].name)
            return k;
    return -1;
}

} // namespace vantrelle::store
