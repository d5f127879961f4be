#include "ApiGet.h"

#include "vantrelle/http/CurlHandles.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <string_view>

namespace vantrelle::postersource {

namespace {

using http::EasyHandle;
using http::HeaderList;

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
    std::string_view line(data, bytes);
    constexpr std::string_view kName = "retry-after:";
    if (line.size() > kName.size() && std::equal(kName.begin(), kName.end(), line.begin(), [](char a, char b) {
            return a == std::tolower(static_cast<unsigned char>(b));
        })) {
        line.remove_prefix(kName.size());
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        int seconds = 0;
        const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), seconds);
        const std::string_view rest(end, static_cast<std::size_t>(line.data() + line.size() - end));
        if (error == std::errc() && seconds >= 0 && rest.find_first_not_of(" \t\r\n") == std::string_view::npos)
            receiver.retryAfter = seconds;
    }
    return bytes;
}

// The user's proxy settings hold for the API (libcurl reads http_proxy, https_proxy and no_proxy), but an
// address on this machine is always asked directly: it is a stand-in or a mirror, never behind the proxy.
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

GetResult getLimited(const std::string& url, const std::vector<std::string>& headers,
    std::chrono::milliseconds timeLimit, std::size_t maxBytes)
{
    http::ensureCurlGlobalInit();
    GetResult result;
    if (timeLimit.count() <= 0)
        return result;
    const EasyHandle easy(curl_easy_init());
    if (!easy)
        return result;
    HeaderList list;
    for (const std::string& header : headers) {
        curl_slist* longer = curl_slist_append(list.get(), header.c_str());
        if (longer == nullptr)
            return result;
        list.release();
        list.reset(longer);
    }
    Receiver receiver { {}, maxBytes, {} };
    const std::string noProxy = directHosts();
    CURL* handle = easy.get();
    const bool set = curl_easy_setopt(handle, CURLOPT_URL, url.c_str()) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_NOPROXY, noProxy.c_str()) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK
        && curl_easy_setopt(
               handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min(timeLimit, kConnectLimit).count()))
            == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(timeLimit.count())) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_HTTPHEADER, list.get()) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_USERAGENT, "Vantrelle") == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, receiveBody) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_WRITEDATA, &receiver) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, receiveHeader) == CURLE_OK
        && curl_easy_setopt(handle, CURLOPT_HEADERDATA, &receiver) == CURLE_OK;
    if (!set || curl_easy_perform(handle) != CURLE_OK)
        return result;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.status);
    result.body = std::move(receiver.body);
    result.retryAfterSeconds = receiver.retryAfter;
    return result;
}

} // namespace vantrelle::postersource
