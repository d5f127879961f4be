#pragma once

#include "vantrelle/postersource/PosterSource.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace vantrelle::postersource {

// What the poster source learnt about titles, kept in a folder: per title a record
// "<number>.json" ({"tagline": TEXT, "poster": BOOL}) and, when it has one, its poster "<number>.jpg".
// A record appears only once its poster is in place, each file under its name only when complete.
// A record without poster expires after kNoPosterLife (TMDB may get one); when the folder grows
// beyond `maxBytes`, the least recently written titles go. A folder that cannot be written keeps
// nothing, and nothing fails.
class PosterCache {
public:
    static constexpr std::chrono::hours kNoPosterLife { 24 * 7 };

    PosterCache(std::filesystem::path folder, std::uintmax_t maxBytes);

    std::optional<FilmExtras> find(std::int64_t titleNumber) const;
    void store(std::int64_t titleNumber, const FilmExtras& extras) const;

private:
    std::filesystem::path file(std::int64_t titleNumber, const char* extension) const;
    void trim() const;

    std::filesystem::path m_folder;
    std::uintmax_t m_maxBytes;
    // What the folder held at the last walk plus what was stored since: the folder is walked only when
    // this passes the bound (another process's stores are counted at the next walk). Starts above the
    // bound, so the first store walks.
    mutable std::atomic<std::uintmax_t> m_knownBytes;
};

} // namespace vantrelle::postersource
