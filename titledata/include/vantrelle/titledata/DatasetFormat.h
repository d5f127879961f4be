#pragma once

// The public title datasets: five tab-separated files, gzipped (name.tsv.gz) or plain (name.tsv). The first
// line is the header; "\N" stands for no value; fields hold no tab or line break and are never quoted.
//
// Limitations: a title number is "tt" and a person number "nm" followed by 7 or more digits whose value is
// at most kMaxNumber, so that the sets of numbers the importer keeps stay small; other integers are plain
// decimal digits, at most 9 of them. A line holds at most kMaxLineLength bytes. The characters of a cast entry are
// a JSON array of strings (RFC 8259); anything else there is refused.

#include "vantrelle/Error.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titledata {

// A line that does not read as its file's kind. The message says what is wrong with the line; the reader
// names the file and the line.
class DatasetError : public vantrelle::Error {
public:
    using vantrelle::Error::Error;
};

inline constexpr std::uint32_t kMaxNumber = 999'999'999;
inline constexpr std::size_t kMaxLineLength = 1 << 20;

enum class DatasetKind { Basics, Ratings, Crew, Principals, Names };

struct DatasetFileFormat {
    DatasetKind kind;
    std::string_view name; // without the .tsv or .tsv.gz ending
    std::string_view header;
};

// The five files, in the order the importer reads them. Every one of them is required.
inline constexpr std::array<DatasetFileFormat, 5> kDatasetFiles { {
    { DatasetKind::Basics, "title.basics",
        "tconst\ttitleType\tprimaryTitle\toriginalTitle\tisAdult\tstartYear\tendYear\truntimeMinutes\tgenres" },
    { DatasetKind::Ratings, "title.ratings", "tconst\taverageRating\tnumVotes" },
    { DatasetKind::Crew, "title.crew", "tconst\tdirectors\twriters" },
    { DatasetKind::Principals, "title.principals", "tconst\tordering\tnconst\tcategory\tjob\tcharacters" },
    { DatasetKind::Names, "name.basics",
        "nconst\tprimaryName\tbirthYear\tdeathYear\tprimaryProfession\tknownForTitles" },
} };

const DatasetFileFormat& datasetFile(DatasetKind kind);

// The rows of the five files, reduced to what the index keeps. Text views point into the line read.
struct TitleRow {
    std::uint32_t number = 0;
    std::optional<std::string_view> type;
    std::optional<std::string_view> title;
    std::optional<std::string_view> originalTitle;
    bool adult = false;
    std::optional<int> year;
    std::optional<int> runtime;
    std::optional<std::string_view> genres;
};

struct RatingRow {
    std::uint32_t number = 0;
    std::uint32_t votes = 0;
};

struct CrewRow {
    std::uint32_t number = 0;
    std::vector<std::uint32_t> directors; // in the file's order
};

struct PrincipalRow {
    std::uint32_t number = 0;
    int ordering = 0;
    std::uint32_t person = 0;
    std::string_view category;
    std::string characters; // the array's strings joined by " / "; empty when there are none
};

struct NameRow {
    std::uint32_t person = 0;
    std::optional<std::string_view> name;
};

// Each parser reads one line (without its line break) or throws DatasetError. The row passed in is
// overwritten, so a caller can reuse its storage from line to line.
void parseTitleLine(std::string_view line, TitleRow& row);
void parseRatingLine(std::string_view line, RatingRow& row);
void parseCrewLine(std::string_view line, CrewRow& row);
void parsePrincipalLine(std::string_view line, PrincipalRow& row);
void parseNameLine(std::string_view line, NameRow& row);

// "tt0133093" -> 133093 and "nm0000001" -> 1; throws DatasetError for anything else.
std::uint32_t parseTitleNumber(std::string_view text);
std::uint32_t parsePersonNumber(std::string_view text);

// Replaces `joined` by the strings of a JSON array of strings, joined by " / ".
void joinCharacters(std::string_view json, std::string& joined);

} // namespace vantrelle::titledata
