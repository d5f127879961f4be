#include "vantrelle/titlesite/TitleSite.h"

#include "vantrelle/OwnFiles.h"
#include "vantrelle/postersource/PosterSource.h"
#include "vantrelle/titleindex/TitleIndex.h"
#include "vantrelle/titleservice/Settings.h"
#include "vantrelle/titlesite/PosterFolder.h"
#include "vantrelle/titlesite/ServiceRequest.h"
#include "vantrelle/titlesite/TitlePages.h"

namespace vantrelle::titlesite {

using titleindex::SearchHit;
using titleindex::Title;
using titleindex::TitleIndex;

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHtml = "text/html; charset=utf-8";

ServiceAnswer page(int status, std::string body)
{
    return { status, std::string(kHtml), std::move(body), {} };
}

std::string pictureType(const fs::path& file)
{
    const std::string extension = file.extension().string();
    if (extension == ".gif")
        return "image/gif";
    if (extension == ".jpg" || extension == ".jpeg")
        return "image/jpeg";
    return "application/octet-stream";
}

// A host name as a redirect may carry it back: letters, digits, ".", "-", ":" and the brackets of
// an IPv6 literal. Anything else (a line break above all) is not echoed into a header.
bool isPlainHost(std::string_view host)
{
    return !host.empty() && host.size() <= 255
        && host.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:[]")
        == std::string_view::npos;
}

// The file name under which a poster from the poster source is linked.
std::string sourcePosterFile(std::int64_t number, const postersource::PosterSource& source)
{
    return titleNumberText(number) + std::string(source.posterFormat().extension);
}

} // namespace

// An index connection lent to one answer and given back after it.
class TitleSite::Connection {
public:
    Connection(const TitleSite& service, std::unique_ptr<TitleIndex> index)
        : m_service(service)
        , m_index(std::move(index))
    {
    }
    ~Connection()
    {
        std::lock_guard lock(m_service.m_idleMutex);
        m_service.m_idle.push_back(std::move(m_index));
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const TitleIndex* operator->() const { return m_index.get(); }

private:
    const TitleSite& m_service;
    std::unique_ptr<TitleIndex> m_index;
};

TitleSite::TitleSite(
    fs::path index, const fs::path& posters, std::shared_ptr<const postersource::PosterSource> posterSource)
    : m_index(std::move(index))
    , m_posterSource(std::move(posterSource))
{
    auto first = std::make_unique<TitleIndex>(m_index);
    m_titleCount = first->titleCount();
    m_idle.push_back(std::move(first));
    if (posters.empty())
        return;
    // Read without following a symlink put in a poster's place since the folder was listed.
    for (const auto& [number, file] : posterFiles(posters))
        if (auto bytes = readOwnFile(file))
            m_posters[number] = { file.filename().string(), std::move(*bytes) };
}

TitleSite::~TitleSite() = default;

void TitleSite::setPosterSource(std::shared_ptr<const postersource::PosterSource> posterSource)
{
    std::lock_guard lock(m_posterSourceMutex);
    m_posterSource = std::move(posterSource);
}

std::shared_ptr<const postersource::PosterSource> TitleSite::posterSource() const
{
    std::lock_guard lock(m_posterSourceMutex);
    return m_posterSource;
}

TitleSite::Connection TitleSite::connection() const
{
    {
        std::lock_guard lock(m_idleMutex);
        if (!m_idle.empty()) {
            std::unique_ptr<TitleIndex> index = std::move(m_idle.back());
            m_idle.pop_back();
            return Connection(*this, std::move(index));
        }
    }
    return Connection(*this, std::make_unique<TitleIndex>(m_index));
}

ServiceAnswer TitleSite::answer(std::string_view target, std::string_view host) const
{
    const ServiceRequest request = parseRequestTarget(target);
    switch (request.kind) {
    case ServiceRequest::Kind::Title:
        return titleAnswer(request.number);
    case ServiceRequest::Kind::Search:
        return searchAnswer(request.words, host);
    case ServiceRequest::Kind::Poster:
        return posterAnswer(request.posterFile);
    case ServiceRequest::Kind::Unknown:
        break;
    }
    return page(404, notFoundPage());
}

std::optional<Title> TitleSite::shownTitle(std::int64_t number) const
{
    if (number <= 0)
        return std::nullopt;
    std::optional<Title> title = connection()->title(number);
    // Episodes are never imported; an index from elsewhere that holds some still does not show them.
    if (title && title->type == "tvEpisode")
        return std::nullopt;
    return title;
}

ServiceAnswer TitleSite::titleAnswer(std::int64_t number) const
{
    const std::optional<Title> title = shownTitle(number);
    if (!title)
        return page(404, notFoundPage());
    const std::string posters = std::string(titleservice::PosterBaseURL) + "/Posters/";
    if (const auto poster = m_posters.find(number); poster != m_posters.end())
        return page(200, titlePage(*title, posters + poster->second.file));
    const auto source = posterSource();
    if (!source || !source->enabled())
        return page(200, titlePage(*title, {}));
    const postersource::FilmExtras extras = source->extras(number);
    const std::string posterUrl = extras.poster.empty() ? std::string() : posters + sourcePosterFile(number, *source);
    return page(200, titlePage(*title, posterUrl, extras.tagline));
}

ServiceAnswer TitleSite::searchAnswer(std::string_view words, std::string_view host) const
{
    const std::vector<SearchHit> hits = connection()->search(words);
    if (hits.empty())
        return page(200, noMatchesPage());
    if (hits.size() > 1)
        return page(200, searchResultsPage(hits));
    // Back to the host the request named, so a client that came through a proxy stays with it.
    const std::string base
        = isPlainHost(host) ? "http://" + std::string(host) : std::string(titleservice::TitleServiceBaseURL);
    ServiceAnswer redirect = page(302, {});
    redirect.location = base + "/Title?" + titleNumberText(hits.front().number);
    return redirect;
}

ServiceAnswer TitleSite::posterAnswer(const std::string& file) const
{
    const auto number = requestedTitleNumber(fs::path(file).stem().string());
    if (!number)
        return page(404, notFoundPage());
    if (const auto poster = m_posters.find(*number); poster != m_posters.end())
        return poster->second.file == file ? ServiceAnswer { 200, pictureType(file), poster->second.bytes, {} }
                                           : page(404, notFoundPage());
    const auto source = posterSource();
    // Only a title the service shows has a poster: any other number costs the poster source nothing.
    if (!source || file != sourcePosterFile(*number, *source) || !shownTitle(*number))
        return page(404, notFoundPage());
    // The page that links the poster has just put it into the poster source's cache.
    std::string bytes = source->extras(*number).poster;
    if (bytes.empty())
        return page(404, notFoundPage());
    return { 200, std::string(source->posterFormat().mediaType), std::move(bytes), {} };
}

} // namespace vantrelle::titlesite
