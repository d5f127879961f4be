// URL splitting and rebuilding of THttpRequest, fed with URLs as they come from outside
// (assigned by the program from scraped pages, or redirect targets sent by a server).
#include "vantrelle/http/HttpError.h"
#include "vantrelle/http/Url.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vantrelle::http;
    const std::string_view url(reinterpret_cast<const char*>(data), size);
    UrlParts parts;
    try {
        parts = crackUrl(url);
    } catch (const EHttpError&) {
        return 0;
    }
    if (!isHttpScheme(parts.scheme))
        return 0;
    const bool ssl = parts.scheme == "https";
    try {
        const std::string built = buildUrl(ssl, parts.hostName, parts.port, parts.urlPath, parts.extraInfo);
        // What buildUrl makes must split again into the same host.
        if (crackUrl(built).hostName != parts.hostName)
            std::abort();
    } catch (const EHttpError&) {
        // Parts that fit one by one may still make a URL over the length limit.
    }
    const std::string request = requestUrl(ssl, parts.hostName, parts.port, parts.urlPath, parts.extraInfo);
    // The request target never carries controls, spaces or raw 8-bit bytes. (The host may:
    // an international domain name is libcurl's to convert.)
    const std::size_t target = request.find('/', request.find("://") + 3 + parts.hostName.size());
    for (std::size_t i = target; i < request.size(); ++i)
        if (static_cast<unsigned char>(request[i]) <= 0x20 || static_cast<unsigned char>(request[i]) >= 0x7F)
            std::abort();
    // Its authority names the same host and port. (Encoding may take the target itself past
    // the splitting limits, which is no matter for libcurl.)
    const UrlParts again = crackUrl(request.substr(0, target));
    if (again.hostName != parts.hostName || again.port != parts.port)
        std::abort();
    return 0;
}
