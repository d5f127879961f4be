#include "vantrelle/http/Url.h"

#include "vantrelle/http/HttpError.h"

#include <algorithm>
#include <cctype>

namespace vantrelle::http {

namespace {

constexpr std::size_t kMaxHostName = 255;
constexpr std::size_t kMaxUserName = 127;
constexpr std::size_t kMaxPassword = 127;
constexpr std::size_t kMaxPathPart = 2047;
constexpr std::size_t kMaxBuiltUrl = 2054;

[[noreturn]] void invalid(const std::string& message)
{
    throw EHttpError(message, errors::kInvalidUrl);
}

std::string lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

bool isSchemeChar(unsigned char c)
{
    return std::isalnum(c) || c == '+' || c == '-' || c == '.';
}

// Characters that can never stand in a host name (RFC 3986, 3.2.2, loosely).
bool isBadHostChar(unsigned char c)
{
    return c <= 0x20 || c == 0x7F || c == '/' || c == '?' || c == '#' || c == '@' || c == '\\' || c == '[' || c == ']';
}

void checkHostName(std::string_view host)
{
    if (host.empty())
        invalid("The URL has no host name");
    if (host.size() > kMaxHostName)
        invalid("The host name in the URL is longer than 255 characters");
    if (std::any_of(host.begin(), host.end(), [](unsigned char c) { return isBadHostChar(c); }))
        invalid("The host name in the URL is invalid");
}

int defaultPort(std::string_view scheme)
{
    return scheme == "https" ? 443 : 80;
}

int parsePort(std::string_view text, std::string_view scheme)
{
    if (text.empty())
        return defaultPort(scheme);
    int port = 0;
    for (unsigned char c : text) {
        if (!std::isdigit(c))
            invalid("The port in the URL is invalid");
        port = port * 10 + (c - '0');
        if (port > 65535)
            invalid("The port in the URL is invalid");
    }
    if (port == 0)
        invalid("The port in the URL is invalid");
    return port;
}

// "http://host" or "https://host", an IPv6 literal in brackets.
std::string schemeAndHost(bool ssl, std::string_view hostName)
{
    checkHostName(hostName);
    std::string url = ssl ? "https://" : "http://";
    if (hostName.find(':') != std::string_view::npos)
        url.append("[").append(hostName).append("]");
    else
        url.append(hostName);
    return url;
}

std::string relativePart(std::string_view urlPath, std::string_view extraInfo)
{
    std::string relative;
    relative.reserve(1 + urlPath.size() + extraInfo.size());
    if (urlPath.empty() || urlPath.front() != '/')
        relative.push_back('/');
    relative.append(urlPath).append(extraInfo);
    return relative;
}

} // namespace

bool isHttpScheme(std::string_view scheme)
{
    return scheme == "http" || scheme == "https";
}

bool sameOrigin(const UrlParts& a, const UrlParts& b)
{
    return a.scheme == b.scheme && a.port == b.port && lower(a.hostName) == lower(b.hostName);
}

UrlParts crackUrl(std::string_view url)
{
    UrlParts parts;
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(url[0]))
        || !std::all_of(url.begin(), url.begin() + colon, [](unsigned char c) { return isSchemeChar(c); }))
        throw EHttpError(errorText(errors::kUnrecognizedScheme), errors::kUnrecognizedScheme);
    parts.scheme = lower(url.substr(0, colon));

    std::string_view rest = url.substr(colon + 1);
    if (rest.substr(0, 2) != "//") {
        // "mailto:", "urn:" and the like: nothing to split, and never fetched.
        if (isHttpScheme(parts.scheme))
            invalid(errorText(errors::kInvalidUrl));
        parts.urlPath = std::string(rest.substr(0, kMaxPathPart));
        return parts;
    }
    rest.remove_prefix(2);

    const std::size_t authorityEnd = std::min(rest.find_first_of("/?#"), rest.size());
    std::string_view authority = rest.substr(0, authorityEnd);
    const std::string_view tail = rest.substr(authorityEnd);

    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view userInfo = authority.substr(0, at);
        authority.remove_prefix(at + 1);
        const std::size_t split = userInfo.find(':');
        parts.hasUserName = true;
        parts.userName = std::string(userInfo.substr(0, split));
        if (split != std::string_view::npos) {
            parts.hasPassword = true;
            parts.password = std::string(userInfo.substr(split + 1));
        }
        if (parts.userName.size() > kMaxUserName)
            invalid("The user name in the URL is longer than 127 characters");
        if (parts.password.size() > kMaxPassword)
            invalid("The password in the URL is longer than 127 characters");
    }

    std::string_view host = authority;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            invalid("The host name in the URL is invalid");
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                invalid("The host name in the URL is invalid");
            port = after.substr(1);
        }
    } else {
        const std::size_t portColon = authority.rfind(':');
        if (portColon != std::string_view::npos) {
            host = authority.substr(0, portColon);
            port = authority.substr(portColon + 1);
        }
        // A colon in a host name is only allowed within the brackets of an IPv6 literal.
        if (host.find(':') != std::string_view::npos)
            invalid("The host name in the URL is invalid");
    }
    checkHostName(host);
    parts.hostName = std::string(host);
    parts.port = parsePort(port, parts.scheme);

    const std::size_t extraStart = std::min(tail.find_first_of("?#"), tail.size());
    parts.urlPath = std::string(tail.substr(0, extraStart));
    parts.extraInfo = std::string(tail.substr(extraStart));
    if (parts.urlPath.size() > kMaxPathPart)
        invalid("The path of the URL is longer than 2047 characters");
    if (parts.extraInfo.size() > kMaxPathPart)
        invalid("The query of the URL is longer than 2047 characters");
    return parts;
}

std::string buildUrl(
    bool ssl, std::string_view hostName, int port, std::string_view urlPath, std::string_view extraInfo)
{
    std::string url = schemeAndHost(ssl, hostName);
    if (port != 80)
        url.append(":").append(std::to_string(port));
    for (char c : relativePart(urlPath, extraInfo)) {
        if (c == ' ')
            url += "%20";
        else
            url += c;
    }
    if (url.size() > kMaxBuiltUrl)
        invalid("The URL is longer than 2054 characters");
    return url;
}

std::string requestUrl(
    bool ssl, std::string_view hostName, int port, std::string_view urlPath, std::string_view extraInfo)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string url = schemeAndHost(ssl, hostName);
    url.append(":").append(std::to_string(port));
    for (unsigned char c : relativePart(urlPath, extraInfo)) {
        if (c <= 0x20 || c >= 0x7F) {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 0x0F];
        } else {
            url += static_cast<char>(c);
        }
    }
    return url;
}

} // namespace vantrelle::http
