#include "vantrelle/JsonText.h"

#include <gtest/gtest.h>

using namespace vantrelle;

TEST(JsonText, QuotesAndEscapesWhatJsonRequires)
{
    struct Case {
        std::string in;
        std::string out;
    } const cases[] = {
        { "", "\"\"" },
        { "Alien", "\"Alien\"" },
        { "say \"hi\"\\", "\"say \\\"hi\\\"\\\\\"" },
        { "a\nb\r\tc", "\"a\\nb\\r\\tc\"" },
        { std::string("\x01\x1f\0", 3), "\"\\u0001\\u001f\\u0000\"" },
        { "Am\xC3\xA9lie \x7f/", "\"Am\xC3\xA9lie \x7f/\"" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(jsonQuoted(c.in), c.out) << c.in;
}
