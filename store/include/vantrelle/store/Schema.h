#pragma once

#include <filesystem>
#include <string_view>

namespace vantrelle::store {

// The table Movies as the catalogue stores it. NameOfMovie compares without regard to case (NOCASE), and
// its index lets the title-ordered read walk the index instead of sorting the whole table, covers included.
inline constexpr std::string_view kMoviesSchema = R"sql(
CREATE TABLE Movies (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    NameOfMovie VARCHAR(50) COLLATE NOCASE,
    Genre VARCHAR(50),
    Director VARCHAR(50),
    Tagline VARCHAR(200),
    Runtime INTEGER,
    Format VARCHAR(50),
    NoOfCds INTEGER,
    CastMemberName1 VARCHAR(50),
    CastMemberName2 VARCHAR(50),
    CastMemberName3 VARCHAR(50),
    CastMemberName4 VARCHAR(50),
    Character1 VARCHAR(50),
    Character2 VARCHAR(50),
    Character3 VARCHAR(50),
    Character4 VARCHAR(50),
    Cover BLOB,
    Year INTEGER
);
CREATE INDEX MoviesByName ON Movies (NameOfMovie COLLATE NOCASE);
)sql";

// Creates a new, empty catalogue file with the table Movies. Refuses (EEngineError) when `file` already
// exists, so no catalogue is ever overwritten; also fails when the folder does not exist. The file appears
// under its name only once it is complete.
void createCatalogue(const std::filesystem::path& file);

} // namespace vantrelle::store
