#pragma once

#include "vantrelle/titleindex/Title.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titleindex {

// A title index opened for reading. One object serves one thread at a time; open one per thread
// to read in parallel.
// Threads: the title site's answering threads, each with an object of the site's pool, and the window's
// threads that show an index's details; the importer (titledata) writes the file on its own thread.
class TitleIndex {
public:
    // The most hits a search returns.
    static constexpr std::size_t kSearchLimit = 50;
    // A search of more words than this finds nothing rather than keep the index busy.
    static constexpr std::size_t kMostSearchWords = 64;

    // Opens the index read-only. Throws vantrelle::Error naming the file when it cannot be opened,
    // is no title index or is of another schema version than this program reads.
    explicit TitleIndex(const std::filesystem::path& file);
    ~TitleIndex();
    TitleIndex(const TitleIndex&) = delete;
    TitleIndex& operator=(const TitleIndex&) = delete;

    // The title with that number (without "tt" and leading zeros), with its directors and cast.
    std::optional<Title> title(std::int64_t number) const;

    // The titles of which every word of `words` (UTF-8) begins some word of the title or its
    // original title, blind to case and accents, and to the spelling of Latin letters in ASCII ("strasse"
    // finds "Straße", "kobenhavn" "København"); best-voted first, at most kSearchLimit. Any text is
    // a valid search: quotes, "*", "-", ":", brackets and AND/OR/NOT are plain words here.
    std::vector<SearchHit> search(std::string_view words) const;

    std::int64_t titleCount() const;
    // When the index was built: ISO 8601 in UTC ("2026-03-01T06:00:00Z"), as the importer wrote it.
    std::string importedAt() const;

private:
    struct Statements;
    std::unique_ptr<Statements> m;
};

} // namespace vantrelle::titleindex
