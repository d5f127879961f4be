#include "vantrelle/http/LimitedGet.h"

#include "CurlSetup.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>

namespace vantrelle::http {

namespace {

constexpr std::chrono::milliseconds kConnectLimit { 3000 };

struct Receiver {
    std::string body;
    std::size_t maxBytes;
    std::optional<int> retryAfter;
};

std::size_t receiveBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& receiver = *static_cast<Receiver*>(user);
    const std::size_t bytes = size * count;
    if (bytes > receiver.maxBytes - receiver.body.size())
        return 0; // ends the transfer: more than we keep
    receiver.body.append(data, bytes);
    return bytes;
}

// "Retry-After: 3" (RFC 9110, 10.2.3); the HTTP-date form counts as none.
std::size_t receiveHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& receiver = *static_cast<Receiver*>(user);
    const std::size_t bytes = size * count;
    const std::string_view line(data, bytes);
    if (isHeader(line, "retry-after")) {
        const std::string_view value = headerValue(line);
        int seconds = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (error == std::errc() && seconds >= 0 && end == value.data() + value.size())
            receiver.retryAfter = seconds;
    }
    return bytes;
}

// The user's proxy settings hold (libcurl reads http_proxy, https_proxy and no_proxy), but an address on
// this machine is always asked directly: it is a stand-in or a mirror, never behind the proxy.
std::string directHosts()
{
    std::string hosts = "localhost,127.0.0.1,::1";
    for (const char* name : { "no_proxy", "NO_PROXY" }) {
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0')
            return hosts + "," + value;
    }
    return hosts;
}

} // namespace

LimitedGetResult getLimited(const std::string& url, const LimitedGet& request)
{
    ensureCurlGlobalInit();
    LimitedGetResult result;
    const auto timeLimit
        = std::chrono::duration_cast<std::chrono::milliseconds>(request.deadline - std::chrono::steady_clock::now());
    if (timeLimit.count() <= 0)
        return result;
    const EasyHandle easy(curl_easy_init());
    if (!easy)
        return result;
    HeaderList headers;
    for (const std::string& header : request.headers) {
        if (appendHeader(headers, header) != CURLE_OK)
            return result;
    }
    Receiver receiver { {}, request.maxBytes, {} };
    const std::string noProxy = directHosts();
    CurlOptions options(easy.get());
    options.set(CURLOPT_URL, url.c_str());
    options.set(CURLOPT_PROTOCOLS_STR, "http,https");
    options.set(CURLOPT_FOLLOWLOCATION, 0L);
    options.set(CURLOPT_NOPROXY, noProxy.c_str());
    options.set(CURLOPT_NOSIGNAL, 1L);
    options.set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min(timeLimit, kConnectLimit).count()));
    options.set(CURLOPT_TIMEOUT_MS, static_cast<long>(timeLimit.count()));
    options.set(CURLOPT_HTTPHEADER, headers.get());
    options.set(CURLOPT_USERAGENT, "Vantrelle");
    options.set(CURLOPT_WRITEFUNCTION, receiveBody);
    options.set(CURLOPT_WRITEDATA, &receiver);
    options.set(CURLOPT_HEADERFUNCTION, receiveHeader);
    options.set(CURLOPT_HEADERDATA, &receiver);
    if (options.result() != CURLE_OK || curl_easy_perform(easy.get()) != CURLE_OK)
        return result;
    result.status = responseStatus(easy.get());
    result.body = std::move(receiver.body);
    result.retryAfterSeconds = receiver.retryAfter;
    return result;
}

} // namespace vantrelle::http
