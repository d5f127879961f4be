#pragma once

#include "vantrelle/http/HttpRequest.h"
#include "vantrelle/http/Url.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrelle::http {

// What THttpRequest hands to one request when Execute starts it.
struct RequestSettings {
    bool synchronous = true;
    std::string url; // as requestUrl builds it
    UrlParts origin; // scheme, host and port of url: where the credentials may go
    std::string method;
    std::string body;
    std::vector<std::string> requestHeaders;
    std::vector<std::string> acceptTypes;
    std::string userAgent;
    std::string proxy;
    int connectTimeout = 0;
    int inactivityTimeout = 0;
    std::uint64_t maxResponseSize = 0;
    bool raiseExceptions = true;
    int authRetries = 0;
    TInternetFlags flags;
};

struct Credentials {
    std::string userName;
    std::string password;
    std::string proxyUserName;
    std::string proxyPassword;
};

} // namespace vantrelle::http
