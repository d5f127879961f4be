#include "vantrelle/exchange/Base64.h"

#include <array>

namespace vantrelle::exchange {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> kValues = [] {
    std::array<std::int8_t, 256> values {};
    values.fill(-1);
    for (int i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
    return values;
}();

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

void appendBase64(std::string& out, std::span<const std::uint8_t> bytes)
{
    out.reserve(out.size() + (bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
        out += kAlphabet[group >> 18];
        out += kAlphabet[(group >> 12) & 63];
        out += kAlphabet[(group >> 6) & 63];
        out += kAlphabet[group & 63];
    }
    if (const std::size_t rest = bytes.size() - i; rest > 0) {
        const std::uint32_t group = bytes[i] << 16 | (rest == 2 ? bytes[i + 1] << 8 : 0);
        out += kAlphabet[group >> 18];
        out += kAlphabet[(group >> 12) & 63];
        out += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        out += '=';
    }
}

std::optional<std::vector<std::uint8_t>> decodeBase64(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    int count = 0; // characters in the group so far
    int padding = 0;
    for (const char c : text) {
        if (isBlank(c))
            continue;
        if (c == '=') {
            if (count < 2)
                return std::nullopt;
            ++padding;
            group <<= 6;
        } else {
            const int value = kValues[static_cast<unsigned char>(c)];
            if (value < 0 || padding > 0)
                return std::nullopt; // a character after the padding
            group = group << 6 | static_cast<std::uint32_t>(value);
        }
        if (++count < 4)
            continue;
        bytes.push_back(static_cast<std::uint8_t>(group >> 16));
        if (padding < 2)
            bytes.push_back(static_cast<std::uint8_t>(group >> 8));
        if (padding < 1)
            bytes.push_back(static_cast<std::uint8_t>(group));
        group = 0;
        count = 0;
        if (padding > 0)
            padding = 3; // the end: nothing may follow
    }
    if (count != 0)
        return std::nullopt;
    return bytes;
}

} // namespace vantrelle::exchange
