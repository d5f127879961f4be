// The title lookups run without a window: against the stand-in title service on loopback, reached
// through a proxy as the program reaches the real one, with a user that writes down what it is asked.

#include "PageServer.h"
#include "RecordingTarget.h"
#include "StandInTitleService.h"
#include "vantrelle/http/EventDelivery.h"
#include "vantrelle/http/HttpError.h"
#include "vantrelle/titleservice/Settings.h"
#include "vantrelle/titleservice/TitleLookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace vantrelle::titleservice;
namespace http = vantrelle::http;
using vantrelle::test::RecordingTarget;
using vantrelle::test::ServedPage;
using vantrelle::test::titlePage;

namespace {

constexpr const char* kAskNumber = "ask[IMDB Number|Type the IMDB number]";
constexpr const char* kAskTitle = "ask[Search by Movie Title|Type the Movie Title]";
constexpr const char* kHarbourChoice
    = "choose[Harbour Lights (1987)|Harbour Lights II: Undertow (1991)|The Quiet Harbour (2008)]";

// What the user was asked and told, and which film and cover the row got: every call but the
// columns other than the title.
std::vector<std::string> outline(const RecordingTarget& user)
{
    std::vector<std::string> shown;
    for (const auto& call : user.calls)
        for (const char* kind : { "ask", "choose", "message", "focus", "NameOfMovie", "placeholder", "extension" })
            if (call.starts_with(kind))
                shown.push_back(call);
    return shown;
}

struct Lookup {
    RecordingTarget user;
    std::string error;
};

// Runs "Enter Number" (`byNumber`) or "Search by Name.." with the typed text and the dialog's answer,
// and waits for the cover.
std::unique_ptr<Lookup> lookUp(bool byNumber, const std::string& typed, ListChoice answer = {}, std::string proxy = {})
{
    auto result = std::make_unique<Lookup>();
    result->user.typed = typed;
    result->user.answer = answer;
    TitleLookup lookup(result->user);
    lookup.setProxy(proxy.empty() ? vantrelle::test::sharedTitleService().proxy() : proxy);
    try {
        if (byNumber)
            lookup.enterNumber();
        else
            lookup.searchByName();
    } catch (const vantrelle::Error& e) {
        result->error = e.what();
    }
    lookup.Http2->wait();
    EXPECT_EQ(result->user.requestsRunning, 0) << typed;
    return result;
}

// The picture format a downloaded cover begins with: "JPEG", "GIF", or empty.
std::string coverFormat(const std::vector<std::uint8_t>& bytes)
{
    const std::string head(
        bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(bytes.size(), 3)));
    return head == "\xFF\xD8\xFF" ? "JPEG" : head == "GIF" ? "GIF" : head;
}

} // namespace

TEST(TitleLookup, ByNumberFillsTheRowThenMovesTheFocusWhileTheCoverArrives)
{
    const auto found = lookUp(true, "0100001");
    EXPECT_EQ(found->error, "");
    EXPECT_EQ(outline(found->user),
        (std::vector<std::string> { kAskNumber, "NameOfMovie=Harbour Lights", "extension=.jpg", "focus" }));
    EXPECT_EQ(found->user.callsOf("Director"), std::vector<std::string> { "Director=Edda Quill" });
    EXPECT_EQ(found->user.callsOf("Runtime"), std::vector<std::string> { "Runtime=112" });
    EXPECT_EQ(coverFormat(found->user.cover), "JPEG");
    EXPECT_EQ(found->user.mostRequestsRunning, 1);

    // A page with the placeholder downloads nothing.
    const auto placeholder = lookUp(true, "0100004");
    EXPECT_EQ(outline(placeholder->user),
        (std::vector<std::string> { kAskNumber, "NameOfMovie=Copper Sky", "placeholder", "focus" }));
    EXPECT_EQ(coverFormat(placeholder->user.cover), "");
}

TEST(TitleLookup, ByName)
{
    struct Case {
        std::string name;
        std::string typed;
        ListChoice answer;
        std::vector<std::string> outline;
        std::string cover;
        int mostRequests; // the title page's request runs inside the search's
    } const cases[] = {
        { "several matches, the second chosen", "harbour", { true, 1 },
            { kAskTitle, kHarbourChoice, "NameOfMovie=Harbour Lights II: Undertow", "extension=.jpg", "focus" }, "JPEG",
            2 },
        { "one match: the title page the search redirects to", "signal LOST", {},
            { kAskTitle, "NameOfMovie=Signal Lost", "extension=.jpg", "focus" }, "JPEG", 2 },
        { "a GIF poster", "lanterns", {}, { kAskTitle, "NameOfMovie=Lanterns Over Vael", "extension=.gif", "focus" },
            "GIF", 2 },
        { "no match", "zebra", {}, { kAskTitle, "message=No movie by that name have been found!" }, "", 1 },
        { "the list cancelled: no request, the focus stays", "harbour", { false, 0 }, { kAskTitle, kHarbourChoice }, "",
            1 },
        { "confirmed with no line: no request, the focus moves", "harbour", { true, -1 },
            { kAskTitle, kHarbourChoice, "focus" }, "", 1 },
        { "nothing typed: no search", "", {}, { kAskTitle }, "", 0 },
    };
    for (const auto& c : cases) {
        const auto found = lookUp(false, c.typed, c.answer);
        EXPECT_EQ(found->error, "") << c.name;
        EXPECT_EQ(outline(found->user), c.outline) << c.name;
        EXPECT_EQ(found->user.mostRequestsRunning, c.mostRequests) << c.name;
        EXPECT_EQ(coverFormat(found->user.cover), c.cover) << c.name;
    }
}

TEST(TitleLookup, ANumberLeftEmptyMakesNoRequestButMovesTheFocus)
{
    const auto found = lookUp(true, "");
    EXPECT_EQ(found->user.calls, (std::vector<std::string> { kAskNumber, "focus" }));
    EXPECT_EQ(found->user.mostRequestsRunning, 0);
}

TEST(TitleLookup, ANumberTheServiceDoesNotKnowWritesNothingAndSaysSo)
{
    for (const std::string typed : { "9999999", "tt9999999" }) {
        const auto found = lookUp(true, typed);
        EXPECT_EQ(found->error, "") << typed;
        EXPECT_EQ(found->user.calls,
            (std::vector<std::string> { kAskNumber, "message=No film has the title number " + typed + ".", "focus" }));
        EXPECT_EQ(coverFormat(found->user.cover), "") << typed;
    }
}

TEST(TitleLookup, TextThatIsNoTitleNumberAsksNothingAndSaysWhatToType)
{
    for (const std::string typed : { "abc12", "12ab", "tt", "01 33093", " 0100001", "0100001/" }) {
        const auto found = lookUp(true, typed);
        EXPECT_EQ(found->error, "") << typed;
        EXPECT_EQ(found->user.calls,
            (std::vector<std::string> { kAskNumber, "message=" + std::string(kNotATitleNumberMessage), "focus" }))
            << typed;
        EXPECT_EQ(found->user.mostRequestsRunning, 0) << typed;
    }
}

TEST(TitleLookup, AFailureEndsTheLookupWhereItOccursAndMovesNoFocus)
{
    // No service where the proxy points: the request fails before any page is read.
    for (const bool byNumber : { true, false }) {
        const auto unreachable = lookUp(byNumber, "0100001", {}, "http://127.0.0.1:1");
        EXPECT_FALSE(unreachable->error.empty());
        EXPECT_EQ(unreachable->user.calls, std::vector<std::string> { byNumber ? kAskNumber : kAskTitle });
    }
}

namespace {

const std::string kGif("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14);

std::string titleUrl(const std::string& number)
{
    return std::string(TitleServiceBaseURL) + "/Title?" + number;
}

std::string posterUrl(const std::string& name)
{
    return std::string(PosterBaseURL) + "/Covers/" + name;
}

// Films whose posters fail in each way a download can, one whose poster is slow, and one with the placeholder.
vantrelle::test::PageServer& posterServer()
{
    static vantrelle::test::PageServer server(std::map<std::string, ServedPage> {
        { titleUrl("1"), { 200, titlePage("Served (2001)", posterUrl("served.gif")) } },
        { posterUrl("served.gif"), { 200, kGif } },
        { titleUrl("2"), { 200, titlePage("Missing (2002)", posterUrl("missing.jpg")) } },
        { titleUrl("3"), { 200, titlePage("Cut (2003)", posterUrl("cut.jpg")) } },
        { posterUrl("cut.jpg"), { 200, std::string(5000, 'c'), true } },
        { titleUrl("4"), { 200, titlePage("Error Page (2004)", posterUrl("page.jpg")) } },
        { posterUrl("page.jpg"), { 200, "<html><body>Sorry</body></html>" } },
        { titleUrl("5"), { 200, titlePage("Slow (2005)", posterUrl("slow.gif")) } },
        { posterUrl("slow.gif"), { 200, kGif, false, 1500 } },
        { titleUrl("6"), { 200, titlePage("Placeholder", "") } },
        { titleUrl("7"),
            { 200,
                "<!DOCTYPE html><html><head><title>Today (2023) - IMDb</title>"
                "<script type=\"application/ld+json\">{\"name\":\"Today\"}</script></head>"
                "<body>Directed by <a href=\"/name/nm1/\">Ann Lee</a></body></html>" } },
    });
    return server;
}

} // namespace

// Each lookup starts a whole new film with the placeholder cover; a poster that cannot be had leaves the
// placeholder and tells the user why, whatever way the download fails.
TEST(TitleLookup, APosterThatCannotBeHadLeavesThePlaceholderAndSaysWhy)
{
    struct Case {
        std::string number;
        std::string readError; // what the user fails with on reading the body
        std::string failure; // the beginning of what the user is told; empty: nothing
        std::string cover;
    } const cases[] = {
        { "1", "", "", "GIF" },
        { "2", "", "The poster could not be downloaded: the server answered with status 404.", "" },
        { "3", "", "The poster could not be downloaded: ", "" },
        { "4", "JPEG error #53", "The poster could not be read: JPEG error #53.", "" },
    };
    for (const auto& c : cases) {
        RecordingTarget user;
        user.typed = c.number;
        user.coverReadError = c.readError;
        // The download's events run on this thread, as the window's run on its own.
        const auto delivery = std::make_shared<vantrelle::http::PumpedEventDelivery>();
        TitleLookup lookup(user, delivery);
        lookup.setProxy(posterServer().proxy());
        lookup.enterNumber();
        delivery->pumpUntil([&] { return !user.cover.empty() || !user.coverFailures.empty(); });

        ASSERT_GE(user.calls.size(), 3u) << c.number;
        EXPECT_EQ(user.calls[1], "new film") << "before anything of the page is written, " << c.number;
        EXPECT_EQ(coverFormat(user.cover), c.cover) << c.number;
        if (c.failure.empty()) {
            EXPECT_EQ(user.coverFailures, std::vector<std::string> {}) << c.number;
            continue;
        }
        ASSERT_EQ(user.coverFailures.size(), 1u) << c.number;
        EXPECT_TRUE(user.coverFailures[0].starts_with(c.failure)) << user.coverFailures[0];
        EXPECT_TRUE(user.coverFailures[0].ends_with(".")) << user.coverFailures[0];
        // A body read in part leaves the placeholder back in the cover.
        EXPECT_EQ(user.calls.back(), c.readError.empty() ? "focus" : "placeholder") << c.number;
    }
}

TEST(TitleLookup, ThePosterOfAnEarlierFilmThatArrivesLateIsDropped)
{
    RecordingTarget user;
    TitleLookup lookup(user);
    lookup.setProxy(posterServer().proxy());
    user.typed = "5";
    lookup.enterNumber();
    user.typed = "6"; // the placeholder: no download of its own replaces the slow one
    lookup.enterNumber();
    lookup.Http2->wait();
    EXPECT_EQ(coverFormat(user.cover), "");
    EXPECT_EQ(user.coverFailures, std::vector<std::string> {});
    EXPECT_EQ(user.callsOf("NameOfMovie").back(), "NameOfMovie=Placeholder");
    EXPECT_EQ(user.calls.back(), "focus");
}

TEST(TitleLookup, AnAnswerInAnotherLayoutWritesNothingAndSaysSo)
{
    RecordingTarget user;
    TitleLookup lookup(user);
    lookup.setProxy(posterServer().proxy());
    user.typed = "7";
    lookup.enterNumber();
    lookup.Http2->wait();
    // Not even the new film is started, which would empty the row.
    EXPECT_EQ(user.calls,
        (std::vector<std::string> { kAskNumber, "message=The title service's answer is not a title page.", "focus" }));
}

// The window's requests check that a certificate names its host, though the request component's default
// set ignores a mismatch; the rest of that set stays.
TEST(TitleLookup, ItsRequestsCheckTheCertificatesHostName)
{
    RecordingTarget user;
    TitleLookup lookup(user);
    const http::TInternetFlags expected
        = http::TInternetFlags(http::TInternetFlags::Design()).erase(http::ifIgnoreCertCnInvalid);
    for (const http::THttpRequest* request : { lookup.Http1.get(), lookup.Http2.get(), lookup.Http3.get() })
        EXPECT_TRUE(request->InternetFlags() == expected);
    EXPECT_TRUE(http::THttpRequest().InternetFlags().contains(http::ifIgnoreCertCnInvalid));
}
