#include "vantrelle/titleservice/TitleLookup.h"

#include "vantrelle/CodePage.h"
#include "vantrelle/titleservice/SearchResults.h"
#include "vantrelle/titleservice/TitlePageLayout.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <utility>

namespace vantrelle::titleservice {

namespace {

// The user's wait for one synchronous request.
class RequestRunning {
public:
    explicit RequestRunning(LookupUser& user)
        : m_user(user)
    {
        m_user.requestStarted();
    }
    ~RequestRunning() { m_user.requestEnded(); }
    RequestRunning(const RequestRunning&) = delete;
    RequestRunning& operator=(const RequestRunning&) = delete;

private:
    LookupUser& m_user;
};

constexpr std::uint32_t kNotFound = 404;

// The number is typed (UTF-8) or cut out of a page (8-bit).
std::string noFilmMessage(std::string_view number)
{
    return "No film has the title number " + ansiToUtf8(number) + ".";
}

// A title number as users type it: digits, perhaps behind "tt" ("0133093", "tt0133093").
bool looksLikeTitleNumber(std::string_view typed)
{
    if (typed.size() > 2 && (typed.starts_with("tt") || typed.starts_with("TT")))
        typed.remove_prefix(2);
    return std::all_of(typed.begin(), typed.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

TitleLookup::TitleLookup(LookupUser& user, std::shared_ptr<http::EventDelivery> delivery)
    : m_user(user)
    , m_scraper(user, m_decoder)
    , Http1(std::make_unique<http::THttpRequest>(delivery))
    , Http2(std::make_unique<http::THttpRequest>(delivery))
    , Http3(std::make_unique<http::THttpRequest>(delivery))
{
    Http1->OnRequestComplete = [this](http::THttpRequest& sender) { Http1RequestComplete(sender); };
    Http2->OnRequestComplete = [this](http::THttpRequest& sender) { Http2RequestComplete(sender); };
    Http3->OnRequestComplete = [this](http::THttpRequest& sender) { Http3RequestComplete(sender); };
    Http2->OnError = [this](http::THttpRequest& sender) { Http2Error(sender); };
    // The window's requests check that a certificate names the host it came from; the request
    // component's default set ignores a mismatch.
    for (http::THttpRequest* request : { Http1.get(), Http2.get(), Http3.get() })
        request->SetInternetFlags(http::TInternetFlags(request->InternetFlags()).erase(http::ifIgnoreCertCnInvalid));
}

void TitleLookup::setProxy(const std::string& proxy)
{
    for (http::THttpRequest* request : { Http1.get(), Http2.get(), Http3.get() })
        request->SetProxy(proxy);
}

void TitleLookup::enterNumber()
{
    const std::string number = m_user.inputBox("IMDB Number", "Type the IMDB number");
    if (!number.empty() && !looksLikeTitleNumber(number))
        m_user.showMessage(kNotATitleNumberMessage);
    else if (!number.empty())
        executeSynchronously(*Http1, titlePageUrl(number));
    m_user.focusNumberOfDiscs();
}

void TitleLookup::searchByName()
{
    const std::string title = m_user.inputBox("Search by Movie Title", "Type the Movie Title");
    if (!title.empty())
        executeSynchronously(*Http3, searchUrl(title));
}

void TitleLookup::executeSynchronously(http::THttpRequest& request, const std::string& url)
{
    request.SetURL(url);
    RequestRunning running(m_user);
    request.Execute(true);
}

void TitleLookup::Http1RequestComplete(http::THttpRequest& Sender)
{
    m_posterUrl.reset();
    m_posterWanted = false;
    // The service's "not found" page holds none of a film's values; scraped, it would fill the row
    // with debris of its markup.
    if (Sender.StatusCode() == kNotFound) {
        m_user.showMessage(noFilmMessage(titleNumberOf(Sender.URL())));
        return;
    }
    m_titlePage = Sender.Text();
    // Nor does an answer in another layout than the scraper's: it writes nothing, not even the emptied row.
    if (!isTitlePage(m_titlePage)) {
        m_user.showMessage(kNotATitlePageMessage);
        return;
    }
    m_user.startNewFilm();
    m_posterUrl = m_scraper.scrape(m_titlePage);
    if (!m_posterUrl)
        return;
    Http2->SetURL(std::string(*m_posterUrl));
    m_posterWanted = true;
    Http2->Execute(false);
}

// Whatever state the new row is in by now: the user decides what a late poster does.
void TitleLookup::Http2RequestComplete(http::THttpRequest& Sender)
{
    if (!std::exchange(m_posterWanted, false))
        return;
    const std::uint32_t status = Sender.StatusCode();
    if (status < 200 || status > 299) {
        m_user.coverDownloadFailed(
            "The poster could not be downloaded: the server answered with status " + std::to_string(status) + ".");
        return;
    }
    try {
        m_user.useDownloadedCover(Sender.ResponseStream());
    } catch (const std::exception& failure) {
        m_user.usePlaceholderCover();
        m_user.coverDownloadFailed("The poster could not be read: " + std::string(failure.what()) + ".");
    }
}

// A download that failed or was cut raises no completion.
void TitleLookup::Http2Error(http::THttpRequest& Sender)
{
    if (!std::exchange(m_posterWanted, false))
        return;
    const std::string reason = http::errorText(Sender.ErrorCode());
    m_user.coverDownloadFailed("The poster could not be downloaded: "
        + (reason.empty() ? "error " + std::to_string(Sender.ErrorCode()) : reason) + ".");
}

void TitleLookup::Http3RequestComplete(http::THttpRequest& Sender)
{
    const SearchAnswer answer = readSearchAnswer(Sender.Text(), Sender.RedirectURL());
    switch (answer.kind) {
    case SearchAnswer::Kind::TitlePage:
        if (answer.requestRedirect)
            executeSynchronously(*Http1, answer.redirectUrl);
        m_user.focusNumberOfDiscs();
        return;
    case SearchAnswer::Kind::NoMovie:
        m_user.showMessage(kNoMovieFoundMessage);
        return;
    case SearchAnswer::Kind::Results:
        break;
    }
    std::vector<std::string_view> lines;
    for (const auto& result : answer.results)
        lines.push_back(result.display);
    const ListChoice choice = m_user.chooseFromList(lines);
    if (!choice.confirmed)
        return;
    const std::string url = chosenTitleUrl(answer, choice.index);
    if (!url.empty())
        executeSynchronously(*Http1, url);
    m_user.focusNumberOfDiscs();
}

} // namespace vantrelle::titleservice
