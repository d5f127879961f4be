#include "PosterCache.h"

#include "vantrelle/OwnFiles.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace vantrelle::postersource {

namespace fs = std::filesystem;

namespace {

// Writes a fresh file beside the file and renames it, so that a reader never sees half a file and
// nothing planted under the draft's name is written through; false on failure.
bool writeWhole(const fs::path& file, const std::string& bytes)
{
    static std::atomic<unsigned> counter { 0 };
    fs::path draft = file;
    draft += ".draft" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    if (!writeNewOwnFile(draft, bytes))
        return false;
    std::error_code error;
    fs::rename(draft, file, error);
    if (error)
        fs::remove(draft, error);
    return !error;
}

} // namespace

PosterCache::PosterCache(fs::path folder, std::uintmax_t maxBytes)
    : m_folder(std::move(folder))
    , m_maxBytes(maxBytes)
    , m_knownBytes(maxBytes + 1)
{
}

fs::path PosterCache::file(std::string_view source, std::int64_t titleNumber, const char* extension) const
{
    char number[32];
    std::snprintf(number, sizeof number, "-%07lld", static_cast<long long>(titleNumber));
    return m_folder / (std::string(source) + number + extension);
}

std::optional<FilmExtras> PosterCache::find(std::string_view source, std::int64_t titleNumber) const
{
    if (m_folder.empty())
        return std::nullopt;
    const fs::path recordFile = file(source, titleNumber, ".json");
    const auto text = readOwnFile(recordFile);
    if (!text)
        return std::nullopt;
    const nlohmann::json record = nlohmann::json::parse(*text, nullptr, false);
    if (!record.is_object() || !record.contains("tagline") || !record["tagline"].is_string()
        || !record.contains("poster") || !record["poster"].is_boolean())
        return std::nullopt;
    FilmExtras extras { record["tagline"].get<std::string>(), {} };
    if (!record["poster"].get<bool>()) {
        std::error_code error;
        const auto written = fs::last_write_time(recordFile, error);
        if (error || fs::file_time_type::clock::now() - written > kNoPosterLife)
            return std::nullopt;
        return extras;
    }
    auto poster = readOwnFile(file(source, titleNumber, ".poster"));
    if (!poster || poster->empty())
        return std::nullopt;
    extras.poster = std::move(*poster);
    return extras;
}

void PosterCache::store(std::string_view source, std::int64_t titleNumber, const FilmExtras& extras) const
{
    if (m_folder.empty())
        return;
    std::error_code error;
    fs::create_directories(m_folder, error);
    if (error)
        return;
    if (!extras.poster.empty() && !writeWhole(file(source, titleNumber, ".poster"), extras.poster))
        return;
    const nlohmann::json record { { "tagline", extras.tagline }, { "poster", !extras.poster.empty() } };
    const std::string recordText = record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (!writeWhole(file(source, titleNumber, ".json"), recordText))
        return;
    const std::uintmax_t stored = extras.poster.size() + recordText.size();
    if (m_knownBytes.fetch_add(stored) + stored > m_maxBytes)
        trim();
}

void PosterCache::trim() const
{
    struct Entry {
        fs::path path;
        std::uintmax_t size;
        fs::file_time_type written;
    };
    std::vector<Entry> entries;
    std::uintmax_t total = 0;
    std::error_code error;
    for (auto it = fs::directory_iterator(m_folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        std::error_code ignored;
        // What is no plain file was never stored here; a symlink is not followed to its target's size.
        if (it->symlink_status(ignored).type() != fs::file_type::regular)
            continue;
        const std::uintmax_t size = it->file_size(ignored);
        entries.push_back({ it->path(), size, it->last_write_time(ignored) });
        total += size;
    }
    if (total <= m_maxBytes) {
        m_knownBytes = total;
        return;
    }
    // Down to three quarters, so that the next few stores do not each walk the folder again.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.written < b.written; });
    for (const Entry& entry : entries) {
        if (total <= m_maxBytes / 4 * 3)
            break;
        // Oldest first: a record whose poster went reads as missing, a poster without its record goes in its turn.
        std::error_code ignored;
        if (fs::remove(entry.path, ignored))
            total -= entry.size;
    }
    m_knownBytes = total;
}

} // namespace vantrelle::postersource
