#include "vantrelle/postersource/TmdbSource.h"

#include "PosterCache.h"
#include "vantrelle/Error.h"
#include "vantrelle/UserFiles.h"
#include "vantrelle/http/LimitedGet.h"
#include "vantrelle/postersource/ApiAnswers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace vantrelle::postersource {

namespace {

using Clock = std::chrono::steady_clock;

// What TMDB's answers are kept under in the poster cache.
constexpr std::string_view kCacheName = "tmdb";

constexpr std::size_t kMaxAnswerBytes = 1 << 20; // TMDB's answers are a few kilobytes
constexpr std::size_t kMaxPosterBytes = 8 << 20;
// A rate limit is waited out when it ends this soon; a longer wait would hold up the window's lookup.
constexpr int kMaxRetryAfterSeconds = 3;

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

// TMDB's keys are hexadecimal, its tokens base64url with dots (RFC 7519), so either goes into the
// query or the header as it stands; anything else could break the request line or a header, and is
// never sent.
bool wellFormedKey(std::string_view key)
{
    return std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
            || c == '.';
    });
}

bool isReadAccessToken(std::string_view key)
{
    return key.starts_with("eyJ");
}

std::string withoutTrailingSlash(std::string base)
{
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}

std::string imdbId(std::int64_t number)
{
    char text[32];
    std::snprintf(text, sizeof text, "tt%07lld", static_cast<long long>(number));
    return text;
}

bool isJpeg(std::string_view bytes)
{
    return bytes.starts_with("\xFF\xD8\xFF");
}

} // namespace

TmdbSettings tmdbSettingsFromEnvironment(std::string_view savedKey, std::string_view savedKeySetting)
{
    TmdbSettings settings;
    if (std::string key = trimmed(environment("VANTRELLE_TMDB_KEY")); !key.empty()) {
        settings.key = std::move(key);
        settings.keySetting = "VANTRELLE_TMDB_KEY";
    } else {
        settings.key = trimmed(savedKey);
        settings.keySetting = savedKeySetting;
    }
    if (std::string api = environment("VANTRELLE_TMDB_API"); !api.empty())
        settings.apiBase = std::move(api);
    if (std::string images = environment("VANTRELLE_TMDB_IMAGES"); !images.empty())
        settings.imageBase = std::move(images);
    try {
        settings.cacheDir = userCacheDir() / "posters";
    } catch (const Error&) {
        // Without a cache every lookup asks again.
    }
    return settings;
}

struct TmdbSource::Answer {
    enum class Kind { Ok, NotFound, Refused, Failed };
    Kind kind = Kind::Failed;
    std::string body;
};

TmdbSource::TmdbSource(TmdbSettings settings, Warning warn)
    : m_settings(std::move(settings))
    , m_warn(std::move(warn))
    , m_cache(std::make_unique<PosterCache>(m_settings.cacheDir, m_settings.cacheMaxBytes))
{
    m_settings.apiBase = withoutTrailingSlash(m_settings.apiBase);
    m_settings.imageBase = withoutTrailingSlash(m_settings.imageBase);
}

TmdbSource::~TmdbSource() = default;

void TmdbSource::refuseKey() const
{
    if (m_keyRefused.exchange(true) || !m_warn)
        return;
    m_warn("The Movie Database (TMDB) refuses the poster source key, so films get no poster or tagline; set a valid "
           "key in "
        + (m_settings.keySetting.empty() ? std::string("VANTRELLE_TMDB_KEY") : m_settings.keySetting));
}

std::string TmdbSource::apiUrl(std::string path) const
{
    std::string url = m_settings.apiBase + path;
    if (!isReadAccessToken(m_settings.key))
        url += std::string(path.find('?') == std::string::npos ? "?" : "&") + "api_key=" + m_settings.key;
    return url;
}

std::vector<std::string> TmdbSource::headers(bool withKey) const
{
    std::vector<std::string> headers { "Accept: application/json" };
    if (withKey && isReadAccessToken(m_settings.key))
        headers.push_back("Authorization: Bearer " + m_settings.key);
    return headers;
}

TmdbSource::Answer TmdbSource::ask(
    const std::string& url, bool withKey, std::size_t maxBytes, Clock::time_point deadline) const
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        http::LimitedGetResult result = http::getLimited(url, { headers(withKey), deadline, maxBytes });
        switch (result.status) {
        case 200:
            return { Answer::Kind::Ok, std::move(result.body) };
        case 404:
            return { Answer::Kind::NotFound, {} };
        case 401:
            return { Answer::Kind::Refused, {} };
        case 429: {
            // RFC 6585, 4: wait as long as Retry-After says, when that is short and fits the budget.
            const int wait = result.retryAfterSeconds.value_or(kMaxRetryAfterSeconds + 1);
            const auto resume = Clock::now() + std::chrono::seconds(wait);
            if (wait > kMaxRetryAfterSeconds || resume >= deadline)
                return {};
            std::this_thread::sleep_until(resume);
            break;
        }
        default:
            return {};
        }
    }
    return {};
}

FilmExtras TmdbSource::extras(std::int64_t titleNumber) const
{
    if (!enabled() || titleNumber <= 0)
        return {};
    if (auto cached = m_cache->find(kCacheName, titleNumber))
        return *cached;
    if (m_keyRefused || !wellFormedKey(m_settings.key)) {
        refuseKey();
        return {};
    }
    const auto deadline = Clock::now() + m_settings.timeBudget;
    const Answer find
        = ask(apiUrl("/3/find/" + imdbId(titleNumber) + "?external_source=imdb_id"), true, kMaxAnswerBytes, deadline);
    if (find.kind == Answer::Kind::Refused)
        refuseKey();
    if (find.kind != Answer::Kind::Ok)
        return {};
    const FindAnswer answer = readFindAnswer(find.body);
    if (!answer.title) {
        // TMDB does not know the title; a malformed answer is not remembered, it may be a passing fault.
        if (answer.readable)
            m_cache->store(kCacheName, titleNumber, {});
        return {};
    }
    const FoundTitle& found = *answer.title;
    const char* kind = found.kind == FoundTitle::Kind::Movie ? "/3/movie/" : "/3/tv/";
    const Answer details = ask(apiUrl(kind + std::to_string(found.id)), true, kMaxAnswerBytes, deadline);
    if (details.kind == Answer::Kind::Refused)
        refuseKey();
    FilmExtras extras { details.kind == Answer::Kind::Ok ? readTagline(details.body) : std::string(), {} };
    if (!found.posterPath.empty()) {
        const std::string url = m_settings.imageBase + "/t/p/" + std::string(kPosterSize) + found.posterPath;
        Answer poster = ask(url, false, kMaxPosterBytes, deadline);
        if (poster.kind == Answer::Kind::Failed)
            return extras; // shown this time, asked again next time
        if (isJpeg(poster.body))
            extras.poster = std::move(poster.body);
    }
    if (details.kind == Answer::Kind::Ok)
        m_cache->store(kCacheName, titleNumber, extras);
    return extras;
}

KeyCheck TmdbSource::checkKey() const
{
    if (!enabled() || !wellFormedKey(m_settings.key))
        return KeyCheck::Refused;
    switch (ask(apiUrl("/3/configuration"), true, kMaxAnswerBytes, Clock::now() + m_settings.timeBudget).kind) {
    case Answer::Kind::Ok:
        return KeyCheck::Accepted;
    case Answer::Kind::Refused:
        return KeyCheck::Refused;
    default:
        return KeyCheck::Unreachable;
    }
}

} // namespace vantrelle::postersource
