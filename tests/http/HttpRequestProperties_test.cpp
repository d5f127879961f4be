#include "vantrelle/http/HttpRequest.h"

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
    EXPECT_EQ(request.TotalTimeout(), THttpRequest::DefaultTotalTimeout);
    EXPECT_EQ(request.MaxResponseSize(), 64u * 1024 * 1024);
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

TEST(HttpRequestProperties, RefusedUrlLeavesEveryPropertyAsItWas)
{
    const struct {
        const char* url;
        const char* message;
    } cases[] = {
        { "ftp://titles.example/file", "Invalid protocol" },
        { "mailto:someone@titles.example", "Invalid protocol" },
        { "titles.example/Title?1", "The URL does not use a recognized protocol" },
        { "http:/titles.example/", "The URL is invalid" },
        { "http:///path", "The URL has no host name" },
        { "http://titles.example:99999/", "The port in the URL is invalid" },
        { "http://titles.example:8o/", "The port in the URL is invalid" },
        { "http://bad host/", "The host name in the URL is invalid" },
    };
    for (const auto& c : cases) {
        THttpRequest request;
        request.SetURL("http://before.example:8080/p?q");
        try {
            request.SetURL(c.url);
            ADD_FAILURE() << c.url << " was accepted";
        } catch (const EHttpError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.url;
        }
        EXPECT_EQ(request.URL(), "http://before.example:8080/p?q") << c.url;
        EXPECT_EQ(request.HostName(), "before.example") << c.url;
        EXPECT_EQ(request.Port(), 8080) << c.url;
        EXPECT_EQ(request.URLPath(), "/p") << c.url;
    }
}

TEST(HttpRequestProperties, FailedRebuildPutsThePartBack)
{
    THttpRequest request;
    request.SetURL("http://before.example/p?q");
    EXPECT_THROW(request.SetHostName("a/b"), EHttpError);
    EXPECT_EQ(request.HostName(), "before.example");
    EXPECT_THROW(request.SetURLPath("/" + std::string(3000, 'p')), EHttpError);
    EXPECT_EQ(request.URLPath(), "/p");
    EXPECT_THROW(request.SetExtraInfo(std::string(3000, 'q')), EHttpError);
    EXPECT_EQ(request.ExtraInfo(), "?q");
    EXPECT_EQ(request.URL(), "http://before.example/p?q");
}

} // namespace
} // namespace vantrelle::http
