#include "vantrelle/titlesite/OwnHosts.h"

#include "vantrelle/titleservice/Settings.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace vantrelle::titlesite {

namespace {

// "http://us.imdb.com" -> "us.imdb.com".
std::string_view hostOf(std::string_view baseUrl)
{
    return baseUrl.substr(baseUrl.find("://") + 3);
}

} // namespace

bool isOwnHost(std::string_view host, int port)
{
    std::string name(host);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string ownPort = ":" + std::to_string(port);
    if (name == "127.0.0.1" + ownPort || name == "localhost" + ownPort)
        return true;
    if (name.ends_with(":80"))
        name.resize(name.size() - 3);
    using namespace titleservice;
    return std::ranges::any_of(
        std::initializer_list<std::string_view> { TitleServiceBaseURL, PosterBaseURL, ImageBaseURL },
        [&name](std::string_view base) { return name == hostOf(base); });
}

} // namespace vantrelle::titlesite
