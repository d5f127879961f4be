#include "vantrelle/http/ContentRange.h"

#include <charconv>

namespace vantrelle::http {

namespace {

// Reads the digits at the start of `text` up to `end`, which must follow them.
std::optional<std::uint64_t> number(std::string_view& text, char end)
{
    std::uint64_t value = 0;
    const auto [after, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || after == text.data() || (end != '\0' && (after == text.end() || *after != end)))
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(after - text.data()) + (end != '\0' ? 1 : 0));
    return value;
}

} // namespace

std::optional<ContentRange> parseContentRange(std::string_view value)
{
    constexpr std::string_view unit = "bytes ";
    if (!value.starts_with(unit))
        return std::nullopt;
    value.remove_prefix(unit.size());
    const auto first = number(value, '-');
    const auto last = first ? number(value, '/') : std::nullopt;
    const auto complete = last ? number(value, '\0') : std::nullopt;
    if (!complete || !value.empty() || *first > *last || *last >= *complete)
        return std::nullopt;
    return ContentRange { *first, *last, *complete };
}

} // namespace vantrelle::http
