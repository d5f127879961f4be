#include "vantrelle/titleservice/URLDecoder.h"

#include <optional>
#include <string_view>

namespace vantrelle::titleservice {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The value of one or two hexadecimal digits; nothing when there are none or one is no digit.
std::optional<int> hexNumber(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

std::string URLDecoder::UrlDecode()
{
    const std::string_view input = InputString;
    std::string decoded;
    decoded.reserve(input.size());
    for (std::size_t i = 0; i < input.size();) {
        const char c = input[i];
        if (c == '+') {
            decoded += ' ';
            ++i;
        } else if (c == '%') {
            // At the very end of the text a single digit is the whole number.
            const std::string_view digits = input.substr(i + 1, 2);
            const std::optional<int> value = hexNumber(digits);
            if (!value) {
                // Copied first: the handler may assign a new InputString.
                std::string undecoded = InputString;
                if (OnError)
                    OnError(*this, "Error during decode",
                        std::string("'").append(digits).append("' is not a valid hexadecimal number"));
                return undecoded;
            }
            decoded += static_cast<char>(*value);
            i += 3;
        } else {
            decoded += c;
            ++i;
        }
    }
    return decoded;
}

} // namespace vantrelle::titleservice
