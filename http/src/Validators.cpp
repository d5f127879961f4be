#include "vantrelle/http/FileGet.h"

#include <algorithm>

namespace vantrelle::http {

namespace {

constexpr std::size_t kMaxValidatorLength = 1024;

// A validator as it may stand on a line of its own: short, and without control characters.
bool plainLine(std::string_view line)
{
    return line.size() <= kMaxValidatorLength && std::none_of(line.begin(), line.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
}

} // namespace

std::string Validators::rangeCondition() const
{
    if (!etag.empty() && !etag.starts_with("W/"))
        return etag;
    return lastModified;
}

bool Validators::match(std::string_view condition) const
{
    return !condition.empty() && condition == (condition.starts_with('"') ? etag : lastModified);
}

std::string Validators::text() const
{
    return etag + "\n" + lastModified + "\n";
}

std::optional<Validators> Validators::fromText(std::string_view text)
{
    const std::size_t firstEnd = text.find('\n');
    if (firstEnd == std::string_view::npos || !text.ends_with('\n') || text.size() == firstEnd + 1)
        return std::nullopt;
    const std::string_view etag = text.substr(0, firstEnd);
    const std::string_view lastModified = text.substr(firstEnd + 1, text.size() - firstEnd - 2);
    if (!plainLine(etag) || !plainLine(lastModified))
        return std::nullopt;
    Validators validators { std::string(etag), std::string(lastModified) };
    if (validators.empty())
        return std::nullopt;
    return validators;
}

} // namespace vantrelle::http
