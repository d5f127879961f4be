#pragma once

#include <string_view>

namespace vantrelle::titleservice {

// What the lookups show instead of scraping an answer that is no title page.
inline constexpr std::string_view kNotATitlePageMessage = "The title service's answer is not a title page.";

// Whether a page has the layout that TitlePageScraper reads: its title in an upper-case <TITLE> tag
// and at least one of the markers of the film's values. Today's pages of the title database's site
// carry the film in a JSON-LD script block with a lower-case <title>, and hold only fragments of
// those markers, which would fill a row with debris of markup; they, empty answers and error pages
// are not title pages.
bool isTitlePage(std::string_view page);

} // namespace vantrelle::titleservice
