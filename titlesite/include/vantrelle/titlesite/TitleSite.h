#pragma once

#include "vantrelle/postersource/PosterSource.h"
#include "vantrelle/titleindex/Title.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titleindex {
class TitleIndex;
}

namespace vantrelle::titlesite {

// One answer of the title service.
struct ServiceAnswer {
    int status = 200;
    std::string contentType;
    std::string body;
    std::string location; // where a redirect (302) points
};

// The title service's answers to the program's requests, from a title index and an optional folder
// of posters, whatever carries them:
//   /Title?NUMBER     the title's page; 404 for an unknown number
//   /Tsearch?WORDS    one match: a redirect to its page; several: the results page (best-voted first,
//                     at most 50); none: the no-matches page
//   /Posters/FILE     a poster picture
// Posters are files named after a title's number with at least 7 digits ("0100001.jpg"); a title
// with one links it from its page. For the others a poster source, when there is one, gives the
// tagline and a poster, served as "/Posters/NUMBER.jpg"; without either the page shows the
// placeholder picture.
// Thread-safe: answers run in parallel, each on an index connection of its own.
// Threads: TitleSiteServer's answering threads call answer() at once; setPosterSource() comes from the
// window's user-interface thread when the user saves another key.
class TitleSite {
public:
    // Opens the index (see TitleIndex) and reads the posters. Throws vantrelle::Error.
    explicit TitleSite(std::filesystem::path index, const std::filesystem::path& posters = {},
        std::shared_ptr<const postersource::PosterSource> posterSource = nullptr);
    ~TitleSite();
    TitleSite(const TitleSite&) = delete;
    TitleSite& operator=(const TitleSite&) = delete;

    // The answer to a GET of `target` (origin or proxy form); a redirect goes back to `host`, the
    // host the request named (its Host header), or to the title service's own host without one.
    ServiceAnswer answer(std::string_view target, std::string_view host) const;

    std::int64_t titleCount() const { return m_titleCount; }

    // Replaces the poster source (none: pages without its taglines and posters); answers under way
    // finish with the one they began with.
    void setPosterSource(std::shared_ptr<const postersource::PosterSource> posterSource);

private:
    class Connection;
    Connection connection() const;
    // The title of `number` when the service shows it.
    std::optional<titleindex::Title> shownTitle(std::int64_t number) const;
    ServiceAnswer titleAnswer(std::int64_t number) const;
    ServiceAnswer searchAnswer(std::string_view words, std::string_view host) const;
    ServiceAnswer posterAnswer(const std::string& file) const;
    std::shared_ptr<const postersource::PosterSource> posterSource() const;

    struct Poster {
        std::string file;
        std::string bytes;
    };

    std::filesystem::path m_index;
    std::int64_t m_titleCount = 0;
    std::map<std::int64_t, Poster> m_posters; // by title number
    mutable std::mutex m_posterSourceMutex;
    std::shared_ptr<const postersource::PosterSource> m_posterSource;
    mutable std::mutex m_idleMutex;
    mutable std::vector<std::unique_ptr<titleindex::TitleIndex>> m_idle;
};

} // namespace vantrelle::titlesite
