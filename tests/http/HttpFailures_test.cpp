// Failures: the header text limit, exceptions from handlers, and the client's own failures.

#include "EventLog.h"
#include "LoopbackServer.h"

#include "vantrelle/http/HttpRequest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace vantrelle::http {
namespace {

using test::EventLog;
using test::server;

TEST(HeaderText, OverTheLimitFailsTheHeaderStep)
{
    const std::string url = server().url("/big-headers?n=9000");
    {
        THttpRequest request;
        EventLog log;
        std::uint32_t errorInHandler = 0;
        request.OnError = [&](THttpRequest& sender) { errorInHandler = sender.ErrorCode(); };
        log.attach(request);
        request.SetURL(url);
        try {
            request.Execute(true);
            ADD_FAILURE() << "no exception";
        } catch (const EHttpError& e) {
            EXPECT_EQ(e.code(), errors::kInsufficientBuffer);
            EXPECT_STREQ(e.what(), "The response header text is longer than 8192 bytes");
        }
        EXPECT_EQ(errorInHandler, errors::kInsufficientBuffer);
        EXPECT_EQ(log.count("RequestComplete"), 1);
        EXPECT_EQ(request.ResponseStream().size(), 0u);
        EXPECT_TRUE(request.ResponseHeaders().empty());
    }
    {
        THttpRequest request;
        EventLog log;
        log.attach(request);
        request.SetRaiseExceptions(false);
        request.SetURL(url);
        EXPECT_TRUE(request.Execute(true));
        EXPECT_EQ(log.count("Error"), 1);
        EXPECT_EQ(log.count("RequestComplete"), 1);
        EXPECT_EQ(request.Text(), "body after big headers");
        EXPECT_TRUE(request.ResponseHeaders().empty());
    }
    {
        THttpRequest request;
        request.SetURL(server().url("/big-headers?n=6000"));
        EXPECT_TRUE(request.Execute(true));
        EXPECT_GT(request.ResponseHeaders().size(), 50u);
    }
}

// --- Handler exceptions ---------------------------------------------------------------

struct Marker {
    Marker() { address = this; }
    inline static const Marker* address = nullptr;
};

TEST(HandlerException, LeavesExecuteAsTheSameObject)
{
    const struct {
        const char* name;
        NotifyEvent HttpRequestEvents::*event;
        bool completes; // OnRequestComplete is still raised
    } cases[] = {
        { "ConnectedToServer", &HttpRequestEvents::OnConnectedToServer, false },
        { "RequestSent", &HttpRequestEvents::OnRequestSent, false },
        { "Redirect", &HttpRequestEvents::OnRedirect, false },
        { "DataAvailable", &HttpRequestEvents::OnDataAvailable, true },
        { "RequestComplete", &HttpRequestEvents::OnRequestComplete, true },
        { "ClosingConnection", &HttpRequestEvents::OnClosingConnection, false },
    };
    for (const auto& c : cases) {
        THttpRequest request;
        int completions = 0;
        request.OnRequestComplete = [&](THttpRequest&) { ++completions; };
        NotifyEvent& slot = request.*c.event;
        slot = [previous = slot](THttpRequest& sender) {
            if (previous)
                previous(sender);
            throw Marker();
        };
        request.SetURL(server().url("/redirect/1"));
        try {
            request.Execute(true);
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const Marker& caught) {
            EXPECT_EQ(&caught, Marker::address) << c.name;
        }
        EXPECT_EQ(completions, c.completes ? 1 : 0) << c.name;

        // With RaiseExceptions false Execute reports it. A handler's exception in the body
        // is swallowed by the body loop, as any other failure there.
        request.SetRaiseExceptions(false);
        EXPECT_EQ(request.Execute(true), c.event == &HttpRequestEvents::OnDataAvailable) << c.name;
    }
}

// --- Client failures ------------------------------------------------------------------

TEST(ClientFailure, ReachesTheCallerAfterOnError)
{
    test::SilentServer silent;
    test::RawServer notHttp("SSH-2.0-OpenSSH_9.2\r\n");
    test::RawServer badChunk("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\nzz\r\n");
    const struct {
        const char* name;
        std::string url;
        std::uint32_t code;
        int completions; // a response that arrived in part completes before the failure
        std::size_t received; // npos: some, up to the limit
        std::uint64_t maxResponseSize = THttpRequest::kDefaultMaxResponseSize;
    } cases[] = {
        { "refused", "http://127.0.0.1:" + std::to_string(test::refusedPort()) + "/", errors::kCannotConnect, 0, 0 },
        { "never answers", "http://127.0.0.1:" + std::to_string(silent.port()) + "/", errors::kTimeout, 0, 0 },
        { "stalls mid-body", server().url("/stall-body"), errors::kTimeout, 1, 1000 },
        { "closes mid-body", server().url("/cut"), errors::kConnectionAborted, 1, 5000 },
        { "not HTTP", notHttp.url("/"), errors::kInvalidServerResponse, 0, 0 },
        { "malformed chunk", badChunk.url("/"), errors::kInvalidServerResponse, 1, 5 },
        { "too many redirects", server().url("/redirect/21"), errors::kTooManyRedirects, 0, 0 },
        { "redirect to ftp", server().url("/redirect-ftp"), errors::kRedirectFailed, 0, 0 },
        { "too large, length known", server().url("/bytes?n=5000"), errors::kResponseTooLarge, 1, 0, 4096 },
        { "too large, chunked", server().url("/bytes?n=300000&chunked=1"), errors::kResponseTooLarge, 1,
            std::string::npos, 100000 },
    };
    for (const auto& c : cases) {
        THttpRequest request;
        EventLog log;
        log.attach(request);
        request.setInactivityTimeout(500);
        request.setMaxResponseSize(c.maxResponseSize);
        request.SetURL(c.url);
        try {
            request.Execute(true);
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const EHttpError& e) {
            EXPECT_EQ(e.code(), c.code) << c.name;
            EXPECT_EQ(e.what(), errorText(c.code)) << c.name;
        }
        EXPECT_EQ(request.ErrorCode(), c.code) << c.name;
        EXPECT_EQ(log.count("Error"), 1) << c.name;
        EXPECT_EQ(log.count("RequestComplete"), c.completions) << c.name;
        if (c.received == std::string::npos)
            EXPECT_LE(request.ResponseStream().size(), c.maxResponseSize) << c.name;
        else
            EXPECT_EQ(request.ResponseStream().size(), c.received) << c.name;

        request.SetRaiseExceptions(false);
        EXPECT_EQ(request.Execute(true), c.completions == 1) << c.name;
    }
}

// libcurl takes no text longer than 8000000 bytes: a setting it refuses fails the request
// before anything is sent, instead of going out without it.
TEST(ClientFailure, ASettingLibcurlRefusesFailsTheRequest)
{
    const std::string huge(9'000'000, 'a');
    const struct {
        const char* name;
        std::function<void(THttpRequest&)> set;
    } cases[] = {
        { "user agent", [&](THttpRequest& request) { request.SetUserAgent(huge); } },
        { "proxy", [&](THttpRequest& request) { request.SetProxy(huge); } },
        { "method", [&](THttpRequest& request) { request.SetMethod(huge); } },
    };
    for (const auto& c : cases) {
        const int before = server().hits("/text");
        THttpRequest request;
        EventLog log;
        log.attach(request);
        c.set(request);
        request.SetURL(server().url("/text"));
        try {
            request.Execute(true);
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const EHttpError& e) {
            EXPECT_EQ(e.code(), errors::kExtendedError) << c.name;
            EXPECT_EQ(
                std::string(e.what()).rfind(errorText(errors::kExtendedError) + "\r\nExtended error:43 - ", 0), 0u)
                << e.what();
        }
        EXPECT_EQ(request.ErrorCode(), errors::kExtendedError) << c.name;
        EXPECT_EQ(log.names(), std::vector<std::string> { "Error" }) << c.name;
        EXPECT_EQ(server().hits("/text"), before) << c.name;
    }
}

// Only silence ends a request: a body that keeps coming, however slowly, is waited for.
TEST(ClientFailure, InactivityEndsAStallButNotATrickle)
{
    test::SilentServer silent;
    constexpr int kLimit = 300;
    const struct {
        const char* name;
        std::string url;
        std::uint32_t code;
        std::size_t received;
    } cases[] = {
        { "trickle", server().url("/trickle?n=15&ms=60"), errors::kSuccess, 15 },
        { "stall mid-body", server().url("/stall-body"), errors::kTimeout, 1000 },
        { "no answer at all", "http://127.0.0.1:" + std::to_string(silent.port()) + "/", errors::kTimeout, 0 },
    };
    for (const auto& c : cases) {
        THttpRequest request;
        request.setInactivityTimeout(kLimit);
        request.SetRaiseExceptions(false);
        request.SetURL(c.url);
        const auto started = std::chrono::steady_clock::now();
        request.Execute(true);
        const auto took = std::chrono::steady_clock::now() - started;
        EXPECT_EQ(request.ErrorCode(), c.code) << c.name;
        EXPECT_EQ(request.ResponseStream().size(), c.received) << c.name;
        // The trickle outlasts the limit many times over; a stall ends soon after it.
        if (c.code == errors::kSuccess)
            EXPECT_GT(took, std::chrono::milliseconds(2 * kLimit)) << c.name;
        else
            EXPECT_LT(took, std::chrono::seconds(5)) << c.name;
    }
}

TEST(ClientFailure, DefaultLimitStopsABodyOver64MiB)
{
    THttpRequest request;
    request.SetURL(server().url("/bytes?n=67108865&chunked=1"));
    try {
        request.Execute(true);
        ADD_FAILURE() << "no exception";
    } catch (const EHttpError& e) {
        EXPECT_EQ(e.code(), errors::kResponseTooLarge);
    }
    EXPECT_LE(request.ResponseStream().size(), 64u * 1024 * 1024);
}

} // namespace
} // namespace vantrelle::http
