#include "vantrelle/titleservice/TitlePageScraper.h"

#include "WorkingText.h"
#include "vantrelle/titleservice/Settings.h"
#include "vantrelle/titleservice/TextUtilities.h"
#include "vantrelle/titleservice/TitlePageMarkers.h"

#include <algorithm>
#include <string>

namespace vantrelle::titleservice {

namespace {

constexpr int kMaxCastEntries = 4;

std::string concat(std::string_view a, std::string_view b)
{
    std::string joined;
    joined.reserve(a.size() + b.size());
    joined.append(a).append(b);
    return joined;
}

// Genre names lose their spaces, and the "," between them (and any within them) becomes " / ".
void appendGenre(std::string& genre, std::string_view name)
{
    for (const char c : name) {
        if (c == ',')
            genre += " / ";
        else if (c != ' ')
            genre += c;
    }
}

// "Last, First" becomes "First Last"; a name without a comma stays as it is.
std::string castName(std::string decoded)
{
    const std::size_t c = position(",", decoded);
    if (c == 0)
        return decoded;
    const std::string_view name = decoded;
    std::string turned;
    turned.reserve(name.size());
    turned.append(name.substr(c)).append(" ").append(name.substr(0, c - 1));
    return std::string(trimmed(turned));
}

} // namespace

TitlePageScraper::TitlePageScraper(ScrapeTarget& target, URLDecoder& decoder)
    : m_target(target)
    , m_decoder(decoder)
{
}

std::optional<std::string_view> TitlePageScraper::scrape(std::string_view page)
{
    m_runtimeEntries.clear();
    scrapeDirector(page);
    scrapeTitleAndYear(page);
    scrapeGenre(page);
    scrapeTagline(page);
    scrapeCast(page);
    scrapeRuntime(page);
    return scrapeCover(page);
}

void TitlePageScraper::scrapeDirector(std::string_view page)
{
    WorkingText text(page);
    text.SkipTo(kDirectorMarker);
    text.SkipTo(kNameLink);
    text.SkipPast(">", 1);
    text.KeepBefore("<");
    m_target.setColumnText("Director", text.view());
}

void TitlePageScraper::scrapeTitleAndYear(std::string_view page)
{
    WorkingText text(page);
    text.SkipPast(kTitleTag, static_cast<long long>(kTitleTag.size()));
    text.KeepBefore("<");
    const std::string_view title = text.view();
    const std::size_t a = position("(", title);
    if (a == 0) {
        m_target.setColumnText("NameOfMovie", title);
        return;
    }
    m_target.setColumnText("NameOfMovie", title.substr(0, a - 1));
    m_target.setColumnText("Year", substring(title, static_cast<long long>(a) + 1, 4));
}

void TitlePageScraper::scrapeGenre(std::string_view page)
{
    WorkingText text(page);
    // The names are joined with ", ", then spaces are deleted and commas replaced; doing both as
    // each name is appended gives the same text without a second copy of it.
    std::string genre;
    do {
        text.SkipPast(kGenreLink, static_cast<long long>(kGenreLink.size()));
        appendGenre(genre, text.partBefore("/"));
        if (text.contains(kGenreLink))
            appendGenre(genre, ", ");
    } while (text.contains(kGenreLink));
    m_target.setColumnText("Genre", genre);
}

void TitlePageScraper::scrapeTagline(std::string_view page)
{
    WorkingText text(page);
    // The one character after the marker is passed over too, whatever it is.
    text.SkipPast(kTaglineMarker, static_cast<long long>(kTaglineMarker.size()) + 1);
    text.KeepBefore("<");
    m_target.setColumnText("Tagline", text.view());
}

void TitlePageScraper::scrapeCast(std::string_view page)
{
    WorkingText text(page);
    text.SkipPast(kCastMarker, static_cast<long long>(kCastMarker.size()));
    int counter = 0;
    do {
        ++counter;
        const std::string number = std::to_string(counter);
        text.SkipPast(kNameLink, static_cast<long long>(kNameLink.size()));
        m_decoder.InputString = trimmed(text.partBefore("\""));
        m_target.setColumnText("CastMemberName" + number, castName(m_decoder.UrlDecode()));
        text.SkipPast(kCharacterCell, static_cast<long long>(kCharacterCell.size()));
        text.SkipPast(kCharacterText, static_cast<long long>(kCharacterText.size()));
        m_target.setColumnText("Character" + number, trimmed(text.partBefore("<")));
    } while (counter < kMaxCastEntries && text.contains(kNameLink));
}

void TitlePageScraper::scrapeRuntime(std::string_view page)
{
    WorkingText text(page);
    text.SkipPast(kRuntimeMarker, static_cast<long long>(kRuntimeMarker.size()));
    text.KeepBefore("</TD>");
    std::string_view fields = text.view();
    const std::size_t count = FieldCount(fields, "/");
    m_runtimeEntries.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        m_runtimeEntries.push_back(trimmed(TakeField(fields, "/")));

    int chosen = -1;
    const auto usa = std::find_if(m_runtimeEntries.rbegin(), m_runtimeEntries.rend(),
        [](std::string_view entry) { return entry.starts_with("USA"); });
    if (usa != m_runtimeEntries.rend()) {
        chosen = static_cast<int>(m_runtimeEntries.rend() - usa) - 1;
    } else if (m_runtimeEntries.size() >= 2) {
        const ListChoice choice = m_target.chooseFromList(m_runtimeEntries);
        chosen = choice.confirmed ? choice.index : -1;
    } else if (m_runtimeEntries.size() == 1) {
        chosen = 0;
    }
    // No entry at all, like a declined choice, stores 0 rather than choosing from an empty list.
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= m_runtimeEntries.size())
        m_target.setColumnInteger("Runtime", 0);
    else
        m_target.setColumnText("Runtime", runtimeText(m_runtimeEntries[static_cast<std::size_t>(chosen)]));
}

std::optional<std::string_view> TitlePageScraper::scrapeCover(std::string_view page)
{
    if (position(kPlaceholderImage, page) != 0) {
        m_target.usePlaceholderCover();
        return std::nullopt;
    }
    WorkingText text(page);
    if (position(PosterMarker, page) != 0) {
        const std::string covers = concat(PosterBaseURL, "/Covers");
        text.SkipTo(text.contains(covers) ? covers : concat(PosterBaseURL, "/Posters"));
    } else {
        // The page names the image server's prefix once before the poster itself.
        const std::string images = concat(ImageBaseURL, "/images");
        text.SkipPast(images, static_cast<long long>(images.size()));
        text.SkipTo(images);
    }
    text.KeepBefore("\"");
    const std::string_view url = text.view();
    m_target.setCoverExtension(coverExtension(url));
    return url;
}

std::string_view coverExtension(std::string_view url)
{
    const std::size_t last = url.find_last_of(".\\:");
    if (last == std::string_view::npos || url[last] != '.')
        return {};
    return url.substr(last);
}

std::string_view runtimeText(std::string_view entry)
{
    const std::size_t colon = entry.find(':');
    std::string_view value = trimmed(colon == std::string_view::npos ? entry : entry.substr(colon + 1));
    const std::size_t digits = std::min(value.find_first_not_of("0123456789"), value.size());
    // Text without leading digits goes to the column as it is, which rejects it unless it is empty.
    return digits == 0 ? value : value.substr(0, digits);
}

} // namespace vantrelle::titleservice
