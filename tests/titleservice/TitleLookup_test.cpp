// The title lookups run without a window: against the stand-in title service on loopback, reached
// through a proxy as the program reaches the real one, with a user that writes down what it is asked.

#include "RecordingTarget.h"
#include "StandInTitleService.h"
#include "vantrelle/http/HttpError.h"
#include "vantrelle/titleservice/TitleLookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace vantrelle::titleservice;
using vantrelle::test::RecordingTarget;

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
    for (const std::string typed : { "9999999", "12ab" }) {
        const auto found = lookUp(true, typed);
        EXPECT_EQ(found->error, "") << typed;
        EXPECT_EQ(found->user.calls,
            (std::vector<std::string> { kAskNumber, "message=No film has the title number " + typed + ".", "focus" }));
        EXPECT_EQ(coverFormat(found->user.cover), "") << typed;
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
