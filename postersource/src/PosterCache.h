#pragma once

#include "vantrelle/postersource/PosterSource.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace vantrelle::postersource {

// What poster sources learnt about titles, kept in one folder and keyed by the source's name and the
// title's number: per title a record "<source>-<number>.json" ({"tagline": TEXT, "poster": BOOL}) and,
// when it has one, its poster "<source>-<number>.poster", as the source gave it. A record appears only
// once its poster is in place, each file under its name only when complete. A record without poster
// expires after kNoPosterLife (the source may get one); when the folder grows beyond `maxBytes`, the
// least recently written titles go. A folder that cannot be written keeps nothing, and nothing fails.
class PosterCache {
public:
    static constexpr std::chrono::hours kNoPosterLife { 24 * 7 };

    PosterCache(std::filesystem::path folder, std::uintmax_t maxBytes);

    // `source` is a name of letters and digits ("tmdb").
    std::optional<FilmExtras> find(std::string_view source, std::int64_t titleNumber) const;
    void store(std::string_view source, std::int64_t titleNumber, const FilmExtras& extras) const;

private:
    std::filesystem::path file(std::string_view source, std::int64_t titleNumber, const char* extension) const;
    void trim() const;

    std::filesystem::path m_folder;
    std::uintmax_t m_maxBytes;
    // What the folder held at the last walk plus what was stored since: the folder is walked only when
    // this passes the bound (another process's stores are counted at the next walk). Starts above the
    // bound, so the first store walks.
    mutable std::atomic<std::uintmax_t> m_knownBytes;
};

} // namespace vantrelle::postersource
