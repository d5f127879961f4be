#include "vantrelle/http/HttpRequest.h"
#include "vantrelle/http/Url.h"

#include <gtest/gtest.h>

namespace vantrelle::http {
namespace {

TEST(HttpRequestProperties, DefaultsAreTheDesignSettings)
{
    THttpRequest request;
    EXPECT_EQ(request.ConnectTimeout(), 30000);
    EXPECT_TRUE(request.RaiseExceptions());
    EXPECT_EQ(request.UserAgent(), "Quorvane WinInet Component");
    EXPECT_EQ(request.Proxy(), "");
    EXPECT_FALSE(request.SSL());
    EXPECT_EQ(request.Port(), 80);
    EXPECT_EQ(request.HostName(), "localhost");
    EXPECT_TRUE(request.DefaultUi());
    EXPECT_EQ(request.Method(), "GET");
    EXPECT_EQ(request.AuthRetries(), 3);
    EXPECT_EQ(request.InternetFlags(), TInternetFlags::Design());
    EXPECT_EQ(request.RequestFlags(), 0x8040F200u);
    EXPECT_EQ(request.URL(), "http://localhost/");
    EXPECT_EQ(request.inactivityTimeout(), 60000);
    EXPECT_EQ(request.maxResponseSize(), 64u * 1024 * 1024);
}

TEST(HttpRequestProperties, RequestFlagWordFollowsTheSet)
{
    EXPECT_EQ(RequestFlagWord({}), 0u);
    EXPECT_EQ(RequestFlagWord({ ifDontCache }), RequestFlagWord({ ifNoCacheWrite }));
    EXPECT_EQ(RequestFlagWord({ ifReload, ifNoAutoRedirect }), 0x80200000u);
    THttpRequest request;
    request.SetInternetFlags(TInternetFlags::Design().insert(ifNoAutoRedirect));
    EXPECT_EQ(request.RequestFlags(), 0x8060F200u);
}

struct SplitCase {
    const char* name;
    const char* url;
    bool ssl;
    const char* host;
    int port;
    const char* path;
    const char* extra;
};

void PrintTo(const SplitCase& c, std::ostream* out)
{
    *out << c.name;
}

class UrlSplitting : public testing::TestWithParam<SplitCase> { };

TEST_P(UrlSplitting, SplitsIntoTheParts)
{
    const SplitCase& c = GetParam();
    THttpRequest request;
    request.SetURL(c.url);
    EXPECT_EQ(request.URL(), c.url);
    EXPECT_EQ(request.SSL(), c.ssl);
    EXPECT_EQ(request.HostName(), c.host);
    EXPECT_EQ(request.Port(), c.port);
    EXPECT_EQ(request.URLPath(), c.path);
    EXPECT_EQ(request.ExtraInfo(), c.extra);
}

INSTANTIATE_TEST_SUITE_P(Urls, UrlSplitting,
    testing::Values(
        SplitCase { "Query", "http://titles.example/Title?0133093", false, "titles.example", 80, "/Title", "?0133093" },
        SplitCase { "HttpsFragment", "https://titles.example/a/b#top", true, "titles.example", 443, "/a/b", "#top" },
        SplitCase { "UpperSchemePortNoPath", "HTTP://titles.example:8080", false, "titles.example", 8080, "", "" },
        SplitCase { "Ipv6", "http://[::1]:81/p?q=1#f", false, "::1", 81, "/p", "?q=1#f" },
        SplitCase { "EscapesKept", "http://titles.example/Tsearch?a%26b+c", false, "titles.example", 80, "/Tsearch",
            "?a%26b+c" },
        SplitCase { "QueryWithoutPath", "http://titles.example?only", false, "titles.example", 80, "", "?only" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HttpRequestProperties, UrlCredentialsAreTakenOnlyWhenPresent)
{
    THttpRequest request;
    request.SetUserName("kept");
    request.SetPassword("kept too");
    request.SetURL("http://titles.example/");
    EXPECT_EQ(request.UserName(), "kept");
    EXPECT_EQ(request.Password(), "kept too");
    request.SetURL("http://ann:pw@titles.example/");
    EXPECT_EQ(request.UserName(), "ann");
    EXPECT_EQ(request.Password(), "pw");
    EXPECT_EQ(request.HostName(), "titles.example");
}

TEST(HttpRequestProperties, HttpUrlAfterHttpsClearsSsl)
{
    THttpRequest request;
    request.SetURL("https://titles.example/");
    request.SetURL("http://titles.example/");
    EXPECT_FALSE(request.SSL());
    EXPECT_EQ(request.Port(), 80);
}

struct BuildCase {
    const char* name;
    bool ssl;
    int port;
    const char* path;
    const char* extra;
    const char* url;
};

void PrintTo(const BuildCase& c, std::ostream* out)
{
    *out << c.name;
}

class UrlRebuilding : public testing::TestWithParam<BuildCase> { };

TEST_P(UrlRebuilding, RebuildsFromTheParts)
{
    const BuildCase& c = GetParam();
    THttpRequest request;
    request.SetHostName("h.example");
    request.SetSSL(c.ssl);
    request.SetPort(c.port);
    request.SetURLPath(c.path);
    request.SetExtraInfo(c.extra);
    EXPECT_EQ(request.URL(), c.url);
}

INSTANTIATE_TEST_SUITE_P(Parts, UrlRebuilding,
    testing::Values(BuildCase { "Plain", false, 80, "/p", "", "http://h.example/p" },
        BuildCase { "SslPort80NotWritten", true, 80, "/p", "", "https://h.example/p" },
        BuildCase { "SslPort443Written", true, 443, "/p", "", "https://h.example:443/p" },
        BuildCase { "Port8080", false, 8080, "/p", "x=1", "http://h.example:8080/p?x=1" },
        BuildCase { "ExtraWithQuestionMark", false, 80, "/p", "?x", "http://h.example/p?x" },
        BuildCase { "Fragment", false, 80, "/p", "#f", "http://h.example/p#f" },
        BuildCase { "SpacesEncoded", false, 80, "/a b", "?c d", "http://h.example/a%20b?c%20d" },
        BuildCase { "EmptyPath", false, 80, "", "", "http://h.example/" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HttpRequestProperties, ExtraInfoGetsAQuestionMarkOnlyWhenItLacksAPrefix)
{
    const struct {
        const char* assigned;
        const char* stored;
    } cases[] = { { "x=1", "?x=1" }, { "?x=1", "?x=1" }, { "#f", "#f" }, { "", "" } };
    for (const auto& c : cases) {
        THttpRequest request;
        request.SetURLPath("/p");
        request.SetExtraInfo(c.assigned);
        EXPECT_EQ(request.ExtraInfo(), c.stored) << c.assigned;
    }
}

// A URL that cannot be split is a failed client step: ErrorCode and OnError come before the
// exception. A scheme other than http or https splits fine and is refused afterwards, with
// no code and no event.
TEST(HttpRequestProperties, RefusedUrlLeavesEveryPropertyAsItWas)
{
    const struct {
        std::string url;
        const char* message;
        std::uint32_t code; // ErrorCode afterwards, and in OnError
    } cases[] = {
        { "ftp://titles.example/file", "Invalid protocol", errors::kSuccess },
        { "mailto:someone@titles.example", "Invalid protocol", errors::kSuccess },
        { "titles.example/Title?1", "The URL does not use a recognized protocol", errors::kUnrecognizedScheme },
        { "http:/titles.example/", "The URL is invalid", errors::kInvalidUrl },
        { "http:///path", "The URL has no host name", errors::kInvalidUrl },
        { "http://titles.example:99999/", "The port in the URL is invalid", errors::kInvalidUrl },
        { "http://titles.example:8o/", "The port in the URL is invalid", errors::kInvalidUrl },
        { "http://bad host/", "The host name in the URL is invalid", errors::kInvalidUrl },
        { "http://titles.example/" + std::string(3000, 'p'), "The path of the URL is longer than 2047 characters",
            errors::kInvalidUrl },
    };
    for (const auto& c : cases) {
        THttpRequest request;
        std::vector<std::uint32_t> codesInOnError;
        request.OnError = [&](THttpRequest& sender) { codesInOnError.push_back(sender.ErrorCode()); };
        request.SetURL("http://before.example:8080/p?q");
        try {
            request.SetURL(c.url);
            ADD_FAILURE() << c.url << " was accepted";
        } catch (const EHttpError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.url;
        }
        EXPECT_EQ(request.ErrorCode(), c.code) << c.url;
        EXPECT_EQ(codesInOnError, c.code ? std::vector { c.code } : std::vector<std::uint32_t> {}) << c.url;
        EXPECT_EQ(request.URL(), "http://before.example:8080/p?q") << c.url;
        EXPECT_EQ(request.HostName(), "before.example") << c.url;
        EXPECT_EQ(request.Port(), 8080) << c.url;
        EXPECT_EQ(request.URLPath(), "/p") << c.url;
    }
}

TEST(HttpRequestProperties, FailedRebuildPutsThePartBackAfterOnError)
{
    THttpRequest request;
    int errorEvents = 0;
    request.OnError = [&](THttpRequest&) { ++errorEvents; };
    request.SetURL("http://before.example/p?q");
    EXPECT_THROW(request.SetHostName("a/b"), EHttpError);
    EXPECT_EQ(request.HostName(), "before.example");
    EXPECT_THROW(request.SetURLPath("/" + std::string(3000, 'p')), EHttpError);
    EXPECT_EQ(request.URLPath(), "/p");
    EXPECT_THROW(request.SetExtraInfo(std::string(3000, 'q')), EHttpError);
    EXPECT_EQ(request.ExtraInfo(), "?q");
    EXPECT_EQ(request.URL(), "http://before.example/p?q");
    EXPECT_EQ(errorEvents, 3);
    EXPECT_EQ(request.ErrorCode(), errors::kInvalidUrl);

    // The next step that succeeds clears the code.
    request.SetHostName("after.example");
    EXPECT_EQ(request.ErrorCode(), errors::kSuccess);
    EXPECT_EQ(errorEvents, 3);
}

TEST(HttpRequestProperties, UrlFailureOnErrorRunsThroughTheDelivery)
{
    auto delivery = std::make_shared<ThreadEventDelivery>();
    THttpRequest request(delivery);
    std::thread::id ranOn;
    request.OnError = [&](THttpRequest&) { ranOn = std::this_thread::get_id(); };
    EXPECT_THROW(request.SetURL("http:///path"), EHttpError);
    EXPECT_EQ(ranOn, delivery->threadId());
}

// Credentials go to one origin only: the same scheme, host (in any case) and port.
TEST(HttpRequestProperties, SameOriginComparesSchemeHostAndPort)
{
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        { "http://titles.example/a", "http://titles.example:80/b?c", true },
        { "http://titles.example/", "http://TITLES.Example/", true },
        { "http://titles.example/", "http://other.example/", false },
        { "http://127.0.0.1/", "http://localhost/", false },
        { "http://titles.example/", "http://titles.example:8080/", false },
        { "https://titles.example/", "http://titles.example:443/", false },
        { "https://titles.example/", "http://titles.example/", false },
        { "http://[::1]:81/", "http://[::1]:81/x", true },
    };
    for (const auto& c : cases)
        EXPECT_EQ(sameOrigin(crackUrl(c.a), crackUrl(c.b)), c.same) << c.a << " " << c.b;
}

} // namespace
} // namespace vantrelle::http
