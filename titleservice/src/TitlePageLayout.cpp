#include "vantrelle/titleservice/TitlePageLayout.h"

#include "vantrelle/titleservice/TextUtilities.h"
#include "vantrelle/titleservice/TitlePageMarkers.h"

#include <algorithm>
#include <array>

namespace vantrelle::titleservice {

namespace {

// A page that describes itself to search engines in JSON-LD is of today's layout, whatever else it holds.
constexpr std::string_view kJsonLinkedData = "application/ld+json";
// The scraper's own markers, whole; one of them stands on every page it was made for.
constexpr std::array<std::string_view, 6> kValueMarkers
    = { kNameLink, kDirectorMarker, kGenreLink, kTaglineMarker, kCastMarker, kRuntimeMarker };

bool holds(std::string_view page, std::string_view marker)
{
    return position(marker, page) != 0;
}

} // namespace

bool isTitlePage(std::string_view page)
{
    if (!holds(page, kTitleTag) || holds(page, kJsonLinkedData))
        return false;
    return std::any_of(
        kValueMarkers.begin(), kValueMarkers.end(), [page](std::string_view marker) { return holds(page, marker); });
}

} // namespace vantrelle::titleservice
