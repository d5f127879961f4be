#include "vantrelle/CodePage.h"

#include <cstdint>
#include <cstring>

namespace vantrelle {

namespace {

// Windows-1252 bytes 0x80..0x9F; the five undefined ones map to the C1 control of the same value.
constexpr char16_t kCp1252High[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

// Length of the UTF-8 sequence starting at bytes[i], or 0 when it is malformed (RFC 3629, section 4).
std::size_t sequenceLength(std::string_view bytes, std::size_t i)
{
    const auto at = [&](std::size_t k) { return static_cast<std::uint8_t>(bytes[k]); };
    const std::uint8_t lead = at(i);
    if (lead < 0x80)
        return 1;
    std::size_t length;
    std::uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() - i < length)
        return 0;
    if (at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return length;
}

} // namespace

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isValidUtf8(std::string_view bytes)
{
    constexpr std::uint64_t kHighBits = 0x8080808080808080;
    for (std::size_t i = 0; i < bytes.size();) {
        // Most text is ASCII: eight bytes at a time while none has its high bit.
        std::uint64_t word;
        if (bytes.size() - i >= sizeof word
            && (std::memcpy(&word, bytes.data() + i, sizeof word), !(word & kHighBits))) {
            i += sizeof word;
            continue;
        }
        if (static_cast<std::uint8_t>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = sequenceLength(bytes, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string ansiToUtf8(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto b = static_cast<std::uint8_t>(ch);
        if (b >= 0x80 && b < 0xA0)
            appendUtf8(out, kCp1252High[b - 0x80]);
        else
            appendUtf8(out, b);
    }
    return out;
}

std::size_t utf8Length(std::string_view utf8)
{
    std::size_t count = 0;
    for (const char ch : utf8)
        if ((static_cast<std::uint8_t>(ch) & 0xC0) != 0x80)
            ++count;
    return count;
}

std::string_view utf8Prefix(std::string_view utf8, std::size_t maxChars)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<std::uint8_t>(utf8[i]) & 0xC0) != 0x80) {
            if (count == maxChars)
                return utf8.substr(0, i);
            ++count;
        }
    }
    return utf8;
}

} // namespace vantrelle
