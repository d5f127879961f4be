// Synchronous requests: the response and its events, redirects, and what a request carries.

#include "EventLog.h"
#include "LoopbackServer.h"

#include "vantrelle/http/HttpRequest.h"

#include <gtest/gtest.h>

namespace vantrelle::http {
namespace {

using test::EventLog;
using test::server;

std::string bodyText(const THttpRequest& request)
{
    return std::string(request.ResponseStream().begin(), request.ResponseStream().end());
}

struct ResponseCase {
    const char* name;
    const char* target;
    std::uint32_t status;
    std::string text;
    std::string body;
};

void PrintTo(const ResponseCase& c, std::ostream* out)
{
    *out << c.name;
}

class SynchronousResponse : public testing::TestWithParam<ResponseCase> { };

TEST_P(SynchronousResponse, CompletesInsideExecuteWithTheBody)
{
    const ResponseCase& c = GetParam();
    THttpRequest request;
    EventLog log;
    log.attach(request);
    std::string textInHandler;
    request.OnRequestComplete = [&](THttpRequest& sender) { textInHandler = sender.Text(); };
    log.attach(request);
    request.SetURL(server().url(c.target));
    EXPECT_TRUE(request.Execute(true));
    EXPECT_EQ(log.count("RequestComplete"), 1);
    EXPECT_EQ(log.count("Error"), 0);
    EXPECT_EQ(textInHandler, c.text);
    EXPECT_EQ(request.StatusCode(), c.status);
    EXPECT_EQ(request.Text(), c.text);
    EXPECT_EQ(bodyText(request), c.body);
    EXPECT_EQ(request.ErrorCode(), 0u);
    EXPECT_EQ(request.RedirectURL(), "");
    ASSERT_FALSE(request.ResponseHeaders().empty());
    EXPECT_EQ(request.ResponseHeaders().front().substr(0, 12), "HTTP/1.1 " + std::to_string(c.status));
}

INSTANTIATE_TEST_SUITE_P(Bodies, SynchronousResponse,
    testing::Values(ResponseCase { "Text", "/text", 200, "hello world", "hello world" },
        ResponseCase { "Empty", "/empty", 200, "", "" },
        ResponseCase { "ZeroByte", "/zero", 200, "ab", std::string("ab\0cd", 5) },
        ResponseCase { "NotFoundPage", "/missing", 404, "<html>no such title</html>", "<html>no such title</html>" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SynchronousRequest, ProgressEventsComeInOrder)
{
    THttpRequest request;
    EventLog log;
    std::string addressWhenConnected;
    std::uint32_t sentWhenSent = 0;
    request.OnConnectedToServer = [&](THttpRequest& sender) { addressWhenConnected = sender.ServerAddress(); };
    request.OnRequestSent = [&](THttpRequest& sender) { sentWhenSent = sender.BytesSent(); };
    log.attach(request);
    request.SetURL(server().url("/text"));
    request.Execute(true);
    const std::vector<std::string> expected = { "NameResolved", "ConnectingToServer", "ConnectedToServer",
        "SendingRequest", "RequestSent", "ReceivingResponse", "ResponseReceived", "DataAvailable", "ClosingConnection",
        "ConnectionClosed", "RequestComplete" };
    std::vector<std::string> steps = log.steps();
    steps.erase(std::remove(steps.begin(), steps.end(), "ResolvingName"), steps.end());
    // The body piece is announced as received before it is appended.
    steps.erase(std::remove(steps.begin() + 7, steps.end(), "ResponseReceived"), steps.end());
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(addressWhenConnected, "127.0.0.1");
    EXPECT_GT(sentWhenSent, 40u);
    EXPECT_EQ(log.count("StateChange"), 0);
}

TEST(SynchronousRequest, CountersAddUpOverTheBody)
{
    THttpRequest request;
    std::uint64_t sumOfReceived = 0;
    std::uint64_t sumOfChunks = 0;
    bool chunksContiguous = true;
    request.OnResponseReceived = [&](THttpRequest& sender) { sumOfReceived += sender.BytesReceived(); };
    request.OnDataAvailable = [&](THttpRequest& sender) {
        chunksContiguous = chunksContiguous && sender.ChunkOffset() == sumOfChunks;
        sumOfChunks += sender.ChunkSize();
        chunksContiguous = chunksContiguous && sender.BytesRead() == sumOfChunks;
    };
    request.SetURL(server().url("/bytes?n=100000"));
    request.Execute(true);
    EXPECT_EQ(request.BytesRead(), 100000u);
    EXPECT_EQ(sumOfChunks, 100000u);
    EXPECT_TRUE(chunksContiguous);
    EXPECT_EQ(request.TotalBytesReceived(), sumOfReceived);
    EXPECT_GT(request.TotalBytesReceived(), 100000u); // the header text counts too
    EXPECT_LE(request.ChunkSize(), 16384u);
    EXPECT_EQ(request.ResponseStream().size(), 100000u);
}

struct RedirectCase {
    const char* name;
    const char* target;
    std::vector<std::string> redirects; // targets seen in OnRedirect, relative to the server
};

void PrintTo(const RedirectCase& c, std::ostream* out)
{
    *out << c.name;
}

class Redirects : public testing::TestWithParam<RedirectCase> { };

TEST_P(Redirects, RedirectUrlIsTheLatestTargetAndSeenInOnRedirect)
{
    const RedirectCase& c = GetParam();
    THttpRequest request;
    std::vector<std::string> seen;
    request.OnRedirect = [&](THttpRequest& sender) { seen.push_back(sender.RedirectURL()); };
    request.SetURL(server().url(c.target));
    request.Execute(true);
    std::vector<std::string> expected;
    for (const std::string& target : c.redirects)
        expected.push_back(server().url(target));
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(request.RedirectURL(), expected.back());
    EXPECT_EQ(request.Text(), "hello world");
    EXPECT_EQ(request.StatusCode(), 200u);

    // The next request on the same instance is not redirected.
    request.SetURL(server().url("/text"));
    request.Execute(true);
    EXPECT_EQ(request.RedirectURL(), "");
}

INSTANTIATE_TEST_SUITE_P(Hops, Redirects,
    testing::Values(RedirectCase { "One", "/redirect/1", { "/text" } },
        RedirectCase { "Two", "/redirect/2", { "/redirect/1", "/text" } },
        RedirectCase { "Absolute", "/redirect-abs", { "/text" } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SynchronousRequest, TwentyRedirectsAreFollowed)
{
    THttpRequest request;
    int redirects = 0;
    request.OnRedirect = [&](THttpRequest&) { ++redirects; };
    request.SetURL(server().url("/redirect/20"));
    request.Execute(true);
    EXPECT_EQ(redirects, 20);
    EXPECT_EQ(request.RedirectURL(), server().url("/text"));
    EXPECT_EQ(request.Text(), "hello world");
}

TEST(SynchronousRequest, NoAutoRedirectReturnsTheRedirectItself)
{
    THttpRequest request;
    request.SetInternetFlags(TInternetFlags::Design().insert(ifNoAutoRedirect));
    request.SetURL(server().url("/redirect/1"));
    request.Execute(true);
    EXPECT_EQ(request.StatusCode(), 302u);
    EXPECT_EQ(request.RedirectURL(), "");
}

TEST(SynchronousRequest, RequestCarriesMethodHeadersAcceptTypesAndBody)
{
    std::vector<std::string> manyTypes;
    std::string firstHundred;
    for (int i = 0; i < 150; ++i) {
        manyTypes.push_back("type/" + std::to_string(i));
        if (i < 100)
            firstHundred += (i > 0 ? ", " : "") + manyTypes.back();
    }
    const struct {
        const char* name;
        std::string method;
        std::vector<std::string> acceptTypes;
        std::vector<std::string> headers;
        std::string body;
        std::string expected;
    } cases[] = {
        { "plain GET", "GET", {}, {}, "",
            "GET /echo?x=1\nAccept: (none)\nX-Test: \nX-Other: \nUser-Agent: Quorvane WinInet Component\nBody: " },
        { "empty first accept line", "GET", { "", "text/html" }, {}, "",
            "GET /echo?x=1\nAccept: (none)\nX-Test: \nX-Other: \nUser-Agent: Quorvane WinInet Component\nBody: " },
        { "Accept among the header lines", "GET", {}, { "Accept: text/plain" }, "",
            "GET /echo?x=1\nAccept: text/plain\nX-Test: \nX-Other: \nUser-Agent: Quorvane WinInet Component\nBody: " },
        { "empty second accept line", "GET", { "text/html", "", "image/gif" }, {}, "",
            "GET /echo?x=1\nAccept: text/html\nX-Test: \nX-Other: \nUser-Agent: Quorvane WinInet Component\nBody: " },
        { "150 accept lines", "GET", manyTypes, {}, "",
            "GET /echo?x=1\nAccept: " + firstHundred
                + "\nX-Test: \nX-Other: \nUser-Agent: Quorvane WinInet Component\nBody: " },
        { "two header lines", "GET", {}, { "X-Test: one", "X-Other: two" }, "",
            "GET /echo?x=1\nAccept: (none)\nX-Test: one\nX-Other: two\nUser-Agent: Quorvane WinInet "
            "Component\nBody: " },
        { "POST with body", "POST", {}, { "Content-Type: text/plain" }, "title=Alien",
            "POST /echo?x=1\nAccept: (none)\nX-Test: \nX-Other: \nUser-Agent: Quorvane WinInet Component\nBody: "
            "title=Alien" },
        { "PUT", "PUT", {}, {}, "data",
            "PUT /echo?x=1\nAccept: (none)\nX-Test: \nX-Other: \nUser-Agent: Quorvane WinInet Component\nBody: data" },
    };
    for (const auto& c : cases) {
        THttpRequest request;
        request.SetURL(server().url("/echo?x=1"));
        request.SetMethod(c.method);
        request.SetAcceptTypes(c.acceptTypes);
        request.SetRequestHeaders(c.headers);
        request.SetText(c.body);
        request.Execute(true);
        EXPECT_EQ(request.Text(), c.expected) << c.name;
    }
}

TEST(SynchronousRequest, HeadReturnsHeadersWithoutBody)
{
    THttpRequest request;
    request.SetURL(server().url("/text"));
    request.SetMethod("HEAD");
    request.setMaxResponseSize(4); // the length announced for GET is no body here
    int completions = 0;
    request.OnRequestComplete = [&](THttpRequest&) { ++completions; };
    EXPECT_TRUE(request.Execute(true));
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(request.StatusCode(), 200u);
    EXPECT_EQ(request.Text(), "");
}

} // namespace
} // namespace vantrelle::http
