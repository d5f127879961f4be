#pragma once

#include "vantrelle/titleservice/ScrapeTarget.h"
#include "vantrelle/titleservice/URLDecoder.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titleservice {

// Reads a film's title page and writes its values through a ScrapeTarget, in this order:
//   1. Director      the text of the first "/Name?" link after "Directed by"
//   2. NameOfMovie   the <TITLE> text before its first "(", and Year from the 4 characters after it
//   3. Genre         the "/Sections/Genres/" link values, spaces deleted, joined by " / "
//   4. Tagline       the text after "Tagline: </B>" and one more character
//   5. Cast          up to four "/Name?" links after "Cast overview, first billed only:", each with
//                    its character after "NOWRAP" and VALIGN="TOP">; "Last,+First" becomes "First Last"
//   6. Runtime       the "/"-separated entries after "Runtime</B>:"; the last "USA" entry, else the
//                    user's choice among several, else the only one; stores the leading whole number
//                    after the entry's first ":" ("138 (uncensored)" gives 138); none chosen stores 0
//   7. Cover         the placeholder when the page names "ph_title.gif"; otherwise the poster URL's
//                    extension is remembered and the URL returned, for its download to start
// The page is never parsed as HTML: absent markers turn into some text by the rules of the scraping
// steps, and that text is stored. Only the target's setters can fail; a failure ends the scrape at
// that step.
class TitlePageScraper {
public:
    // Every column that a title page can fill.
    static constexpr std::array<std::string_view, 14> kColumns
        = { "Director", "NameOfMovie", "Year", "Genre", "Tagline", "CastMemberName1", "Character1", "CastMemberName2",
              "Character2", "CastMemberName3", "Character3", "CastMemberName4", "Character4", "Runtime" };

    // `decoder` decodes the cast's name links (its OnError, if set, hears of malformed ones).
    TitlePageScraper(ScrapeTarget& target, URLDecoder& decoder);

    // The poster URL to download (a view of the page, possibly empty), or nothing when the page
    // names the placeholder.
    [[nodiscard]] std::optional<std::string_view> scrape(std::string_view page);

    // The running-time entries of the last scrape that reached that step (empty before): views of
    // the page, valid while it is.
    const std::vector<std::string_view>& runtimeEntries() const { return m_runtimeEntries; }

private:
    void scrapeDirector(std::string_view page);
    void scrapeTitleAndYear(std::string_view page);
    void scrapeGenre(std::string_view page);
    void scrapeTagline(std::string_view page);
    void scrapeCast(std::string_view page);
    void scrapeRuntime(std::string_view page);
    std::optional<std::string_view> scrapeCover(std::string_view page);

    ScrapeTarget& m_target;
    URLDecoder& m_decoder;
    std::vector<std::string_view> m_runtimeEntries;
};

// The file extension of a URL: from its last "." to its end, unless a "\" or ":" stands after that
// "."; otherwise empty. "/" does not end the search, so a "." in the host name counts.
std::string_view coverExtension(std::string_view url);

// The running time that a runtime entry stands for, as text for the Runtime column: the part after
// the first ":" (the whole entry without one), trimmed, cut after its leading digits when it has any.
std::string_view runtimeText(std::string_view entry);

} // namespace vantrelle::titleservice
