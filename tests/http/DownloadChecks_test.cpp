// What a download checks of its server's answers: the Content-Range of a continuation, the version it
// belongs to, the validators kept beside a file, and where a redirect may lead.

#include "vantrelle/http/ContentRange.h"
#include "vantrelle/http/FileGet.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vantrelle::http {
namespace {

TEST(ContentRange, TakesOnlyOneSatisfiedRangeOfAKnownLength)
{
    struct Case {
        std::string value;
        std::optional<ContentRange> range;
    } const cases[] = {
        { "bytes 100-999/1000", ContentRange { 100, 999, 1000 } },
        { "bytes 0-0/1", ContentRange { 0, 0, 1 } },
        { "bytes 0-8589934591/8589934592", ContentRange { 0, 8589934591u, 8589934592u } },
        { "bytes 100-999/*", std::nullopt },
        { "bytes */1000", std::nullopt },
        { "bytes 100-999/999", std::nullopt },
        { "bytes 999-100/1000", std::nullopt },
        { "bytes 100-/1000", std::nullopt },
        { "bytes -100-999/1000", std::nullopt },
        { "bytes +100-999/1000", std::nullopt },
        { "bytes 100-999/1000 ", std::nullopt },
        { "bytes 100-999/1000/2000", std::nullopt },
        { "bytes 1-2/99999999999999999999999", std::nullopt },
        { "items 100-999/1000", std::nullopt },
        { "", std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseContentRange(c.value), c.range) << c.value;
}

TEST(Validators, MatchTheVersionAnIfRangeNames)
{
    const Validators v { "\"v1-10\"", "Sun, 01 Mar 2026 06:00:00 GMT" };
    EXPECT_TRUE(v.match("\"v1-10\""));
    EXPECT_TRUE(v.match("Sun, 01 Mar 2026 06:00:00 GMT"));
    EXPECT_FALSE(v.match("\"v2-10\""));
    EXPECT_FALSE(v.match("Mon, 02 Mar 2026 06:00:00 GMT"));
    EXPECT_FALSE(v.match(""));
    EXPECT_FALSE(Validators {}.match("\"v1-10\""));
}

TEST(Validators, ReadBackAsWrittenAndNothingElse)
{
    struct Case {
        std::string text;
        std::optional<Validators> read;
    } const cases[] = {
        { "\"v1-10\"\nSun, 01 Mar 2026 06:00:00 GMT\n", Validators { "\"v1-10\"", "Sun, 01 Mar 2026 06:00:00 GMT" } },
        { "\"v1-10\"\n\n", Validators { "\"v1-10\"", "" } },
        { "\nSun, 01 Mar 2026 06:00:00 GMT\n", Validators { "", "Sun, 01 Mar 2026 06:00:00 GMT" } },
        { "\n\n", std::nullopt },
        { "\"v1-10\"\n", std::nullopt },
        { "\"v1-10\"\nSun\n\n", std::nullopt },
        { "\"v1-10\"\nSun", std::nullopt },
        { "\"v1\r-10\"\nSun\n", std::nullopt },
        { std::string(1025, 'e') + "\n\n", std::nullopt },
        { "", std::nullopt },
    };
    for (const auto& c : cases) {
        const auto read = Validators::fromText(c.text);
        ASSERT_EQ(read.has_value(), c.read.has_value()) << c.text;
        if (read) {
            EXPECT_EQ(read->etag, c.read->etag);
            EXPECT_EQ(read->lastModified, c.read->lastModified);
            EXPECT_EQ(read->text(), c.text);
        }
    }
}

TEST(FileGet, ARedirectNeverLeadsFromHttpsToHttp)
{
    EXPECT_STREQ(redirectProtocols("https://datasets.example/title.basics.tsv.gz"), "https");
    EXPECT_STREQ(redirectProtocols("http://127.0.0.1:8080/title.basics.tsv.gz"), "http,https");
}

} // namespace
} // namespace vantrelle::http
