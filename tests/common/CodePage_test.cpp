#include "vantrelle/CodePage.h"

#include <gtest/gtest.h>

using namespace vantrelle;

TEST(CodePage, ValidUtf8IsKeptAndOtherBytesAreWindows1252)
{
    struct Case {
        std::string in;
        std::string out;
    } const cases[] = {
        { "Alien", "Alien" },
        { "Am\xC3\xA9lie", "Am\xC3\xA9lie" }, // already UTF-8
        { "Am\xE9lie", "Am\xC3\xA9lie" }, // Latin-1 e acute
        { "\x80 \x9F", "\xE2\x82\xAC \xC5\xB8" }, // Windows-1252 euro and Y diaeresis
        { "\xC0\xAF", "\xC3\x80\xC2\xAF" }, // overlong form is not UTF-8
        { "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC" }, // surrogate is not UTF-8
        { "\xE6\x97\xA5\xE6\x9C\xAC", "\xE6\x97\xA5\xE6\x9C\xAC" },
        // past a run of eight ASCII bytes, and a sequence across such a run's end
        { "The Seventh Seal\xE9", "The Seventh Seal\xC3\xA9" },
        { "Seventh\xC3\xA9 Seal, the", "Seventh\xC3\xA9 Seal, the" },
        { "12345678\xC3", "12345678\xC3\x83" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ansiToUtf8(c.in), c.out) << c.in;
}

TEST(CodePage, LengthAndPrefixCountCharacters)
{
    const std::string text = "\xE6\x97\xA5\xE6\x9C\xAC-x";
    EXPECT_EQ(utf8Length(text), 4u);
    EXPECT_EQ(utf8Prefix(text, 2), "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(utf8Prefix(text, 9), text);
    EXPECT_EQ(utf8Prefix(text, 0), "");
}
