#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrelle::http {

// Splitting and building the http and https URLs of THttpRequest.
//
// Limitations: only "scheme://authority[path][?query|#fragment]" is understood. The host is
// at most 255 bytes, user name and password at most 127, path and extra information at
// most 2047 each, and a built URL at most 2054 bytes; longer parts are refused rather than
// cut. Escape sequences ("%xx") are kept as they stand in every part, so a URL splits and
// rebuilds to the same request target. Failures throw EHttpError.

struct UrlParts {
    std::string scheme; // lower case, e.g. "http"
    std::string hostName; // without the brackets of an IPv6 literal
    int port = 0; // the scheme's default port when the URL names none
    bool hasUserName = false;
    std::string userName;
    bool hasPassword = false;
    std::string password;
    std::string urlPath; // from the first "/" of the path on; empty when the URL has none
    std::string extraInfo; // the query or fragment with its leading "?" or "#"; empty when none
};

// Splits an absolute URL of any scheme. Throws EHttpError (kInvalidUrl or kUnrecognizedScheme)
// when it cannot be split.
UrlParts crackUrl(std::string_view url);

// True when both name the same scheme, host (in any case) and port: the origin of RFC 6454,
// to which credentials given for one URL are confined.
bool sameOrigin(const UrlParts& a, const UrlParts& b);

// True for "http" and "https", the only schemes THttpRequest fetches.
bool isHttpScheme(std::string_view scheme);

// "http://" or "https://", the host (bracketed when it holds ":"), ":port" unless the port
// is 80, then the path and extra information ("/" when both are empty; a path without a
// leading "/" gets one). Only spaces are encoded ("%20"). Throws EHttpError for an empty or
// malformed host name and for a result longer than 2054 bytes.
std::string buildUrl(
    bool ssl, std::string_view hostName, int port, std::string_view urlPath, std::string_view extraInfo);

// The URL that is handed to the HTTP client: like buildUrl, but the port is always written
// and every byte that may not stand in a request target (controls, space, bytes of 0x7F and
// above) is percent-encoded (RFC 3986, 2.1).
std::string requestUrl(
    bool ssl, std::string_view hostName, int port, std::string_view urlPath, std::string_view extraInfo);

} // namespace vantrelle::http
