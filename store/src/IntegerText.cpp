#include "IntegerText.h"

#include <cstdlib>

namespace vantrelle::store {

namespace {

int digitValue(char c, bool hex)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> parseInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (text.substr(i, 2) == "0x") {
        hex = true;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i], hex);
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + digit;
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::string formatInteger(std::string_view format, std::int32_t value)
{
    const auto number = [value](int minDigits) {
        const std::int64_t wide = value;
        std::string digits = std::to_string(wide < 0 ? -wide : wide);
        if (static_cast<int>(digits.size()) < minDigits)
            digits.insert(0, minDigits - digits.size(), '0');
        return (value < 0 ? "-" : "") + digits;
    };
    if (format.empty())
        return number(0);
    std::string out;
    bool numberDone = false;
    for (std::size_t i = 0; i < format.size();) {
        const char c = format[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = format.find(c, i + 1);
            const std::size_t stop = end == std::string_view::npos ? format.size() : end;
            out.append(format.substr(i + 1, stop - i - 1));
            i = stop == format.size() ? stop : stop + 1;
        } else if (c == '0' || c == '#') {
            int zeros = 0;
            for (; i < format.size() && (format[i] == '0' || format[i] == '#'); ++i)
                zeros += format[i] == '0';
            if (!numberDone)
                out += number(zeros);
            numberDone = true;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace vantrelle::store
