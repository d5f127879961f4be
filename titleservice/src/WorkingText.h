#pragma once

#include "vantrelle/titleservice/TextUtilities.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace vantrelle::titleservice {

// The working text of one scraping step: a view of the page that the scraping steps shorten.
//
// Every step keeps a part of the text, so the view's start only moves forward and its end only
// back. That lets it remember where it found each marker: a loop that looks for the same markers
// again and again reads each part of the page once instead of once per turn, and a hostile page
// with thousands of links is still read in time proportional to its size.
class WorkingText {
public:
    explicit WorkingText(std::string_view text)
        : m_text(text)
    {
    }

    std::string_view view() const { return m_text; }
    bool empty() const { return m_text.empty(); }

    // 1-based position of the first `marker` in the working text, 0 for none.
    std::size_t find(std::string_view marker);
    bool contains(std::string_view marker) { return find(marker) != 0; }

    void SkipPast(std::string_view marker, long long n) { skipPastAt(m_text, find(marker), n); }
    void KeepBefore(std::string_view marker) { keepBeforeAt(m_text, find(marker)); }
    void SkipTo(std::string_view marker) { skipToAt(m_text, find(marker)); }

    // What KeepBefore would leave, the working text itself staying as it is.
    std::string_view partBefore(std::string_view marker);

    // Keeps the text after the first `marker` to its very end; nothing when it is absent.
    void keepAfter(std::string_view marker);

private:
    struct Sighting {
        std::string_view marker;
        const char* searchedFrom; // the span searched, [searchedFrom, searchedTo)
        const char* searchedTo;
        const char* at; // first occurrence in that span, nullptr for none
    };

    std::string_view m_text;
    std::vector<Sighting> m_sightings;
};

} // namespace vantrelle::titleservice
