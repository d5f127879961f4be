#pragma once

#include "vantrelle/postersource/PosterSource.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::postersource {

class PosterCache;

// The attribution TMDB's terms ask for wherever the title data's credit stands.
inline constexpr std::string_view kAttribution
    = "This product uses the TMDB API but is not endorsed or certified by TMDB.";

// Where TMDB's API is and how it is asked.
struct TmdbSettings {
    // A v3 API key (sent as the api_key query parameter) or a read access token (it begins with
    // "eyJ"; sent as "Authorization: Bearer"). Empty: nothing is ever asked.
    std::string key;
    // Where the user sets the key, named in the message when TMDB refuses it.
    std::string keySetting;
    std::string apiBase = "https://api.themoviedb.org"; // scheme and host
    std::string imageBase = "https://image.tmdb.org"; // scheme and host
    std::filesystem::path cacheDir; // empty: nothing is kept between lookups
    std::uintmax_t cacheMaxBytes = 64 << 20;
    // The longest one lookup may take, every request and wait included.
    std::chrono::milliseconds timeBudget { 6000 };
};

// The settings from the environment: VANTRELLE_TMDB_KEY when set and not empty, else `savedKey`
// (from the user's configuration, named by `savedKeySetting`); VANTRELLE_TMDB_API and
// VANTRELLE_TMDB_IMAGES override the addresses; the cache is "posters" under the user's cache folder
// (none when there is no place for it).
TmdbSettings tmdbSettingsFromEnvironment(std::string_view savedKey = {}, std::string_view savedKeySetting = {});

// The client of The Movie Database's API (v3): finds a title by its IMDb number, reads its tagline
// and fetches its poster from the image host, keeping what it learnt in the cache so that a second
// lookup of the same title asks nothing. The key goes to the API's host only. A failure of any kind
// gives no extras and never throws; a refused key is reported once through `warn` and stops the
// asking for the object's life. Thread-safe.
class TmdbSource final : public PosterSource {
public:
    using Warning = std::function<void(const std::string& message)>;

    explicit TmdbSource(TmdbSettings settings, Warning warn = {});
    ~TmdbSource() override;
    TmdbSource(const TmdbSource&) = delete;
    TmdbSource& operator=(const TmdbSource&) = delete;

    bool enabled() const override { return !m_settings.key.empty(); }

    FilmExtras extras(std::int64_t titleNumber) const override;

    // Asks the API whether it takes the key (one request, within the time budget).
    KeyCheck checkKey() const override;

    // TMDB's posters are JPEG files; anything else it sends is taken for no poster.
    PosterFormat posterFormat() const override { return { ".jpg", "image/jpeg" }; }

    // The poster size asked of the image host.
    static constexpr std::string_view kPosterSize = "w154";

private:
    struct Answer;
    std::vector<std::string> headers(bool withKey) const;
    Answer ask(const std::string& url, bool withKey, std::size_t maxBytes,
        std::chrono::steady_clock::time_point deadline) const;
    std::string apiUrl(std::string path) const;
    void refuseKey() const;

    TmdbSettings m_settings;
    Warning m_warn;
    std::unique_ptr<PosterCache> m_cache;
    mutable std::atomic<bool> m_keyRefused { false };
};

} // namespace vantrelle::postersource
