#pragma once

#include "vantrelle/http/EventDelivery.h"
#include "vantrelle/http/HttpRequest.h"
#include "vantrelle/titleservice/LookupUser.h"
#include "vantrelle/titleservice/TitlePageScraper.h"
#include "vantrelle/titleservice/URLDecoder.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titleservice {

// What "Enter Number" says, asking nothing of the service, when the text typed is no title number.
inline constexpr std::string_view kNotATitleNumberMessage = "Type a title number, such as 0133093.";

// The lookups of a new film at the title service, and what follows them:
//   enterNumber    asks for a title number and requests its page (Http1); the focus then moves to
//                  the number of discs, also when nothing was typed
//   searchByName   asks for words and requests the search (Http3); its answer is a redirect to a
//                  title page, which is requested in turn, a list of results to choose one from,
//                  or the message "No movie by that name have been found!"
//   a title page   starts a whole new film: the columns a page fills are cleared and the cover is
//                  the placeholder; then the page is scraped into the new row, and the poster's
//                  download (Http2) starts. Its body goes to the user when it has arrived whole with
//                  a success status; an error status, a failed or cut transfer, or a body the user
//                  cannot read leaves the placeholder and tells the user. A poster of an earlier page
//                  that arrives late is dropped. A page answered "not found" (404) writes nothing
//                  and shows "No film has the title number %s." instead
// Title pages and searches are requested synchronously: when enterNumber or searchByName returns,
// the row is filled and only the cover may still be on its way. A failed request, or a failure
// of the scraper or the user, ends the lookup where it occurs and leaves through the call that
// started it; a failure in the cover's completion ends that download only.
class TitleLookup {
public:
    // `delivery` runs the requests' events on the user-interface thread (see THttpRequest); null
    // runs them on the thread that raises them, which for the cover download is its worker.
    explicit TitleLookup(LookupUser& user, std::shared_ptr<http::EventDelivery> delivery = nullptr);
    TitleLookup(const TitleLookup&) = delete;
    TitleLookup& operator=(const TitleLookup&) = delete;

    void enterNumber();
    void searchByName();

    // Sends the three requests through `proxy` ("http://127.0.0.1:PORT"); their URLs stay the
    // service's own. Empty: the system's proxy settings.
    void setProxy(const std::string& proxy);

    // What the last title page read gave, valid until the next one: its running-time entries, and
    // the poster URL whose download it started (none with the placeholder, or when scraping failed).
    const std::vector<std::string_view>& runtimeEntries() const { return m_scraper.runtimeEntries(); }
    std::optional<std::string_view> posterUrl() const { return m_posterUrl; }

private:
    void Http1RequestComplete(http::THttpRequest& Sender);
    void Http2RequestComplete(http::THttpRequest& Sender);
    void Http3RequestComplete(http::THttpRequest& Sender);
    void Http2Error(http::THttpRequest& Sender);
    void executeSynchronously(http::THttpRequest& request, const std::string& url);

    LookupUser& m_user;
    URLDecoder m_decoder; // of the cast's name links
    TitlePageScraper m_scraper;
    std::string m_titlePage; // the page that the scraper's views point into
    std::optional<std::string_view> m_posterUrl;
    bool m_posterWanted = false; // the download of the latest page's poster has not ended yet

public:
    // Title pages, cover pictures and searches. Declared last, so a download still under way is
    // stopped before anything its completion would use goes.
    std::unique_ptr<http::THttpRequest> Http1;
    std::unique_ptr<http::THttpRequest> Http2;
    std::unique_ptr<http::THttpRequest> Http3;
};

} // namespace vantrelle::titleservice
