#include "vantrelle/titleservice/TextUtilities.h"

#include <algorithm>

namespace vantrelle::titleservice {

std::size_t position(std::string_view pattern, std::string_view text)
{
    if (pattern.empty() || text.empty())
        return 0;
    const std::size_t found = text.find(pattern);
    return found == std::string_view::npos ? 0 : found + 1;
}

std::string_view substring(std::string_view text, long long start, long long count)
{
    const auto length = static_cast<long long>(text.size());
    if (text.empty() || start > length || count < 0)
        return {};
    if (start < 1)
        start = 1;
    count = std::min(count, length - start + 1);
    return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

void skipPastAt(std::string_view& text, std::size_t markerPosition, long long n)
{
    const long long start = static_cast<long long>(markerPosition) + n;
    text = substring(text, start, static_cast<long long>(text.size()) - start);
}

void keepBeforeAt(std::string_view& text, std::size_t markerPosition)
{
    text = substring(text, 1, static_cast<long long>(markerPosition) - 1);
}

void skipToAt(std::string_view& text, std::size_t markerPosition)
{
    const auto start = static_cast<long long>(markerPosition);
    text = substring(text, start, static_cast<long long>(text.size()) - start);
}

void SkipPast(std::string_view& text, std::string_view marker, long long n)
{
    skipPastAt(text, position(marker, text), n);
}

void KeepBefore(std::string_view& text, std::string_view marker)
{
    keepBeforeAt(text, position(marker, text));
}

void SkipTo(std::string_view& text, std::string_view marker)
{
    skipToAt(text, position(marker, text));
}

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

SkipTable BuildSkipTable(std::string_view pattern)
{
    const std::size_t m = pattern.size();
    SkipTable table;
    table.fill(static_cast<unsigned char>(m % 256));
    for (std::size_t i = 1; i <= m; ++i)
        table[static_cast<unsigned char>(pattern[i - 1])] = static_cast<unsigned char>((m - i) % 256);
    return table;
}

std::size_t SkipTableSearch(std::string_view text, std::string_view pattern, const SkipTable& table)
{
    const std::size_t n = text.size();
    const std::size_t m = pattern.size();
    if (m > n || m == 0)
        return 0;
    const auto* first = reinterpret_cast<const unsigned char*>(text.data());
    const auto* last = first + n - 1;
    const auto* p = reinterpret_cast<const unsigned char*>(pattern.data());
    // The text character under the pattern's last character (position k in 1-based terms).
    const unsigned char* under = first + m - 1;
    while (under <= last) {
        // A mismatch at the last character shifts by its table entry: run those shifts in a tight
        // loop. A zero entry means the last characters agree (or a wrapped entry, which shifts by 1).
        std::size_t shift;
        while ((shift = table[*under]) != 0) {
            if (shift > static_cast<std::size_t>(last - under))
                return 0;
            under += shift;
        }
        std::size_t j = 0;
        while (j < m && p[m - 1 - j] == under[-static_cast<std::ptrdiff_t>(j)])
            ++j;
        if (j == m)
            return static_cast<std::size_t>(under - first) + 2 - m;
        const std::size_t entry = table[under[-static_cast<std::ptrdiff_t>(j)]];
        const std::size_t step = entry > j ? entry - j : 1;
        if (step > static_cast<std::size_t>(last - under))
            return 0;
        under += step;
    }
    return 0;
}

std::size_t FastPos(std::string_view pattern, std::string_view text)
{
    if (pattern.size() < 5 || text.size() < 255)
        return position(pattern, text);
    const SkipTable table = BuildSkipTable(pattern);
    return SkipTableSearch(text, pattern, table);
}

std::size_t CharCount(char c, std::string_view text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

std::size_t SubstringCount(std::string_view pattern, std::string_view text)
{
    if (pattern.empty() || text.empty() || text.size() < pattern.size())
        return 0;
    if (pattern.size() == 1)
        return CharCount(pattern.front(), text);
    const SkipTable table = BuildSkipTable(pattern);
    std::size_t count = 0;
    // Resuming one character after the start of each match counts overlapping occurrences.
    while (const std::size_t r = SkipTableSearch(text, pattern, table)) {
        ++count;
        text.remove_prefix(r);
    }
    return count;
}

std::size_t FieldCount(std::string_view text, std::string_view delimiter)
{
    return text.empty() ? 0 : SubstringCount(delimiter, text) + 1;
}

std::string_view TakeField(std::string_view& text, std::string_view delimiter)
{
    // Only whether there are none, one or several fields matters here; asking FastPos for the
    // first delimiter tells that without counting them all, which keeps taking every field of a
    // text linear in its length.
    const std::size_t p = text.empty() ? 0 : FastPos(delimiter, text);
    if (p == 0) {
        const std::string_view whole = text;
        text = {};
        return whole;
    }
    const std::string_view field = TrimChar(text.substr(0, p - 1), ' ', ' ');
    text.remove_prefix(p - 1 + delimiter.size());
    return field;
}

std::string_view TrimLeftChar(std::string_view text, char c)
{
    const std::size_t first = text.find_first_not_of(c);
    return first == std::string_view::npos ? std::string_view {} : text.substr(first);
}

std::string_view TrimRightChar(std::string_view text, char c)
{
    const std::size_t last = text.find_last_not_of(c);
    return last == std::string_view::npos ? std::string_view {} : text.substr(0, last + 1);
}

std::string_view TrimChar(std::string_view text, char left, char right)
{
    return TrimRightChar(TrimLeftChar(text, left), right);
}

} // namespace vantrelle::titleservice
