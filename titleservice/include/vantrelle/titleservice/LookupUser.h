#pragma once

#include "vantrelle/titleservice/ScrapeTarget.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrelle::titleservice {

// Whom a TitleLookup works for: the window, or the command-line tool. Besides the new row and
// cover that the title page scraper writes (ScrapeTarget), it asks for text, shows messages, moves
// the focus and takes the downloaded cover. Members are called where the lookup's requests raise
// their events: on the user-interface thread when the lookup has an EventDelivery. An exception
// thrown by a member ends the lookup there and leaves it through the call that started it.
class LookupUser : public ScrapeTarget {
public:
    // The input box: a caption, a prompt and an empty line of at most 255 characters. Gives the
    // text as typed when confirmed, and empty text when cancelled.
    virtual std::string inputBox(std::string_view caption, std::string_view prompt) = 0;

    // A message box (UTF-8 text) with one OK button; returns when it is closed.
    virtual void showMessage(std::string_view text) = 0;

    // Moves the keyboard focus to the number of discs, which the title service cannot fill in.
    virtual void focusNumberOfDiscs() = 0;

    // Before a title page is scraped: a lookup fills a whole new film, so every column that a page
    // can fill (TitlePageScraper::kColumns) is emptied and the cover becomes the placeholder. A value
    // or poster that this page does not give must not stay from an earlier lookup.
    virtual void startNewFilm() = 0;

    // The body of a cover download that the server answered with success. It becomes the cover,
    // with the remembered extension; a body that is no picture it can read fails.
    virtual void useDownloadedCover(std::span<const std::uint8_t> body) = 0;

    // The poster of the latest title page could not be had (UTF-8 text, ending with a full stop):
    // the cover keeps the placeholder that the lookup started from, and the user is told.
    virtual void coverDownloadFailed(std::string_view message) = 0;

    // Around each title page or search request, which blocks until its page has been handled
    // (nested for the title page of a search): the window shows the wait cursor meanwhile.
    virtual void requestStarted() { }
    virtual void requestEnded() { }
};

} // namespace vantrelle::titleservice
