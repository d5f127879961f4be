#include "vantrelle/exchange/Base64.h"

#include <gtest/gtest.h>

using namespace vantrelle::exchange;

TEST(Base64, TheVectorsOfRfc4648)
{
    const struct {
        std::string bytes;
        std::string text;
    } cases[] = {
        { "", "" },
        { "f", "Zg==" },
        { "fo", "Zm8=" },
        { "foo", "Zm9v" },
        { "foob", "Zm9vYg==" },
        { "fooba", "Zm9vYmE=" },
        { "foobar", "Zm9vYmFy" },
        { std::string("\0\xFF\xFE", 3), "AP/+" },
    };
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> bytes(c.bytes.begin(), c.bytes.end());
        std::string text;
        appendBase64(text, bytes);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(decodeBase64(c.text), bytes) << c.text;
    }
}

TEST(Base64, DecodingSkipsLineBreaksAndRefusesTheRest)
{
    EXPECT_EQ(decodeBase64("Zm9v\r\nYmFy\n"), (std::vector<std::uint8_t> { 'f', 'o', 'o', 'b', 'a', 'r' }));
    for (const char* bad : { "Zm9", "Zg=", "Z===", "=Zg=", "Zg==Zg==", "Zm9v!", "Zg=a", "cover.jpg", "a" })
        EXPECT_FALSE(decodeBase64(bad).has_value()) << bad;
}
