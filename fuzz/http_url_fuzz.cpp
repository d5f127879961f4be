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
        parts = CrackUrl(url);
    } catch (const EHttpError&) {
        return 0;
    }
    if (!IsHttpScheme(parts.scheme))
        return 0;
    const bool ssl = parts.scheme == "https";
    try {
        const std::string built = BuildUrl(ssl, parts.hostName, parts.port, parts.urlPath, parts.extraInfo);
        // What BuildUrl makes must split again into the same host.
        if (CrackUrl(built).hostName != parts.hostName)
            std::abort();
    } catch (const EHttpError&) {
        // Parts that fit one by one may still make a URL over the length limit.
    }
    const std::string request = RequestUrl(ssl, parts.hostName, parts.port, parts.urlPath, parts.extraInfo);
    const UrlParts again = CrackUrl(request);
    if (again.hostName != parts.hostName || again.port != parts.port)
        std::abort();
    for (unsigned char c : request)
        if (c <= 0x20 || c >= 0x7F)
            std::abort(); // a request target never carries controls, spaces or raw 8-bit bytes
    return 0;
}
