#include "vantrelle/titleservice/TextUtilities.h"
#include "vantrelle/titleservice/URLDecoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace vantrelle::titleservice;

namespace {

std::string skipPast(std::string_view text, std::string_view marker, long long n)
{
    SkipPast(text, marker, n);
    return std::string(text);
}

std::string keepBefore(std::string_view text, std::string_view marker)
{
    KeepBefore(text, marker);
    return std::string(text);
}

std::string skipTo(std::string_view text, std::string_view marker)
{
    SkipTo(text, marker);
    return std::string(text);
}

std::string decode(std::string input)
{
    URLDecoder decoder;
    decoder.InputString = std::move(input);
    return decoder.UrlDecode();
}

// Takes fields one by one, showing each result and what is left: "field|rest".
std::string takeFields(std::string_view text, std::string_view delimiter, int times)
{
    std::string shown;
    for (int i = 0; i < times; ++i) {
        const std::string_view field = TakeField(text, delimiter);
        shown += "[" + std::string(field) + "|" + std::string(text) + "]";
    }
    return shown;
}

} // namespace

TEST(TextUtilities, Examples)
{
    const std::string xs300(300, 'x');
    struct Case {
        const char* name;
        std::function<std::string()> run;
        std::string expected;
    } const cases[] = {
        { "SkipPast marker", [] { return skipPast("<TITLE>Alien (1979)</TITLE>", "<TITLE>", 7); },
            "Alien (1979)</TITLE" },
        { "SkipPast absent", [] { return skipPast("abcdef", "zz", 3); }, "cde" },
        { "SkipPast start at end", [] { return skipPast("abc>", ">", 1); }, "" },
        { "SkipPast empty text", [] { return skipPast("", "a", 1); }, "" },
        { "SkipTo marker", [] { return skipTo("abc", "b"); }, "b" },
        { "SkipTo absent", [] { return skipTo("abc", "z"); }, "abc" },
        { "KeepBefore marker", [] { return keepBefore("Alien</TITLE>", "<"); }, "Alien" },
        { "KeepBefore absent", [] { return keepBefore("abc", "z"); }, "" },
        { "KeepBefore at 1", [] { return keepBefore("<abc", "<"); }, "" },
        { "substring start below 1", [] { return std::string(substring("abc", -3, 2)); }, "ab" },
        { "substring negative count", [] { return std::string(substring("abc", 1, -1)); }, "" },
        { "substring past end", [] { return std::string(substring("abc", 4, 1)); }, "" },
        { "substring cut count", [] { return std::string(substring("abc", 2, 99)); }, "bc" },
        { "trimmed", [] { return std::string(trimmed("\t\r\n x y \x01 ")); }, "x y" },
        { "trimmed blanks only", [] { return std::string(trimmed(" \t\x1f")); }, "" },
        { "FastPos long text", [&] { return std::to_string(FastPos("abcde", xs300 + "abcde")); }, "301" },
        { "FastPos pattern too long",
            [] { return std::to_string(FastPos(std::string(300, 'a'), std::string(260, 'a'))); }, "0" },
        { "FastPos short pattern", [&] { return std::to_string(FastPos("abc", xs300 + "abc")); }, "301" },
        { "FastPos absent", [&] { return std::to_string(FastPos("abcde", xs300)); }, "0" },
        { "position empty pattern", [] { return std::to_string(position("", "abc")); }, "0" },
        { "position empty text", [] { return std::to_string(position("a", "")); }, "0" },
        { "CharCount", [] { return std::to_string(CharCount('a', "banana")); }, "3" },
        { "CharCount empty", [] { return std::to_string(CharCount('a', "")); }, "0" },
        { "SubstringCount overlapping", [] { return std::to_string(SubstringCount("aa", "aaaa")); }, "3" },
        { "SubstringCount longer pattern", [] { return std::to_string(SubstringCount("abc", "ab")); }, "0" },
        { "SubstringCount empty pattern", [] { return std::to_string(SubstringCount("", "ab")); }, "0" },
        { "SubstringCount one character", [] { return std::to_string(SubstringCount("/", "a/b/c")); }, "2" },
        { "FieldCount empty", [] { return std::to_string(FieldCount("", "/")); }, "0" },
        { "FieldCount one", [] { return std::to_string(FieldCount("a", "/")); }, "1" },
        { "FieldCount trailing", [] { return std::to_string(FieldCount("a/b/", "/")); }, "3" },
        { "FieldCount empty delimiter", [] { return std::to_string(FieldCount("a/b", "")); }, "1" },
        { "TakeField thrice", [] { return takeFields(" a / b ", "/", 3); }, "[a| b ][ b |][|]" },
        { "TakeField long delimiter", [] { return takeFields("a, b,,c", ",,", 2); }, "[a, b|c][c|]" },
        { "TakeField empty delimiter", [] { return takeFields(" a/b ", "", 1); }, "[ a/b |]" },
        { "TrimLeftChar", [] { return std::string(TrimLeftChar("xxaxx", 'x')); }, "axx" },
        { "TrimRightChar", [] { return std::string(TrimRightChar("xxaxx", 'x')); }, "xxa" },
        { "TrimChar", [] { return std::string(TrimChar("<<a>>", '<', '>')); }, "a" },
        { "TrimChar only that character", [] { return std::string(TrimChar("....", '.', '.')); }, "" },
        { "UrlDecode plus and escape", [] { return decode("a+b%41"); }, "a bA" },
        { "UrlDecode lower case hex", [] { return decode("%e9"); }, "\xE9" },
        { "UrlDecode one digit at end", [] { return decode("x%4"); }, std::string("x\x04") },
        { "UrlDecode percent at end", [] { return decode("x%"); }, "x%" },
        { "UrlDecode not hex", [] { return decode("%G1"); }, "%G1" },
        { "UrlDecode second not hex", [] { return decode("ab%4G+"); }, "ab%4G+" },
        { "UrlDecode nul byte", [] { return decode("a%00b"); }, std::string("a\0b", 3) },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.run(), c.expected) << c.name;
}

TEST(TextUtilities, SkipTableHoldsEachCharactersDistanceFromTheEnd)
{
    const SkipTable table = BuildSkipTable("abcab");
    EXPECT_EQ(table['a'], 1);
    EXPECT_EQ(table['b'], 0);
    EXPECT_EQ(table['c'], 2);
    EXPECT_EQ(table['z'], 5);
    // Long patterns wrap modulo 256.
    const SkipTable wrapped = BuildSkipTable(std::string(299, 'x') + "y");
    EXPECT_EQ(wrapped['x'], 1);
    EXPECT_EQ(wrapped['y'], 0);
    EXPECT_EQ(wrapped['z'], 300 % 256);
}

TEST(TextUtilities, SkipTableSearchFindsTheFirstOccurrenceLikeAPlainSearch)
{
    // Every pattern cut out of a text with many near-matches, including ones of 256 characters or
    // more whose shifts wrap, and bytes above 127.
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += static_cast<char>("ab\xE9"[(i * i + i / 7) % 3]);
    for (std::size_t length : { 1u, 2u, 5u, 17u, 255u, 256u, 300u })
        for (std::size_t start = 0; start + length <= text.size(); start += 211) {
            const std::string_view pattern = std::string_view(text).substr(start, length);
            ASSERT_EQ(SkipTableSearch(text, pattern, BuildSkipTable(pattern)), position(pattern, text))
                << "length " << length << " start " << start;
            ASSERT_EQ(FastPos(pattern, text), position(pattern, text));
        }
    EXPECT_EQ(SkipTableSearch("ab", "abc", BuildSkipTable("abc")), 0u);
}

TEST(TextUtilities, UrlDecodeReportsAFailureToOnError)
{
    URLDecoder decoder;
    std::string operation, message;
    URLDecoder* sender = nullptr;
    decoder.OnError = [&](URLDecoder& s, const std::string& op, const std::string& msg) {
        sender = &s;
        operation = op;
        message = msg;
    };
    decoder.InputString = "Smith,+Jo%";
    EXPECT_EQ(decoder.UrlDecode(), "Smith,+Jo%");
    EXPECT_EQ(sender, &decoder);
    EXPECT_EQ(operation, "Error during decode");
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(decoder.InputString, "Smith,+Jo%"); // the input is kept

    operation.clear();
    decoder.InputString = "Hanks,+Tom";
    EXPECT_EQ(decoder.UrlDecode(), "Hanks, Tom");
    EXPECT_EQ(operation, "");
}
