#include "vantrelle/titlesite/ServiceRequest.h"

#include "vantrelle/CodePage.h"
#include "vantrelle/titleservice/TextUtilities.h"
#include "vantrelle/titleservice/URLDecoder.h"

#include <charconv>

namespace vantrelle::titlesite {

namespace {

// The query decoded the way the program's own reader decodes links: "+" is a blank, "%XX" a byte;
// a malformed escape leaves the text as it stands.
std::string decodedQuery(std::string_view query)
{
    titleservice::URLDecoder decoder;
    decoder.InputString = query;
    return decoder.UrlDecode();
}

// Whether the target begins with a scheme ("http://host/path").
bool isProxyForm(std::string_view target)
{
    const std::size_t scheme = target.find("://");
    return scheme != std::string_view::npos && scheme < target.find_first_of("/?");
}

// The request path and query of an origin-form or proxy-form target.
std::pair<std::string_view, std::string_view> pathAndQuery(std::string_view target)
{
    if (isProxyForm(target)) {
        const std::size_t path = target.find_first_of("/?", target.find("://") + 3);
        target = path == std::string_view::npos ? std::string_view() : target.substr(path);
    }
    const std::size_t question = target.find('?');
    if (question == std::string_view::npos)
        return { target, {} };
    return { target.substr(0, question), target.substr(question + 1) };
}

} // namespace

std::string_view targetAuthority(std::string_view target)
{
    if (!isProxyForm(target))
        return {};
    const std::string_view rest = target.substr(target.find("://") + 3);
    return rest.substr(0, rest.find_first_of("/?"));
}

std::optional<std::int64_t> requestedTitleNumber(std::string_view query)
{
    const std::string decoded = decodedQuery(query);
    std::string_view text = titleservice::trimmed(decoded);
    if (text.starts_with("tt") || text.starts_with("TT"))
        text.remove_prefix(2);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const std::size_t first = text.find_first_not_of('0');
    if (first == std::string_view::npos || text.size() - first > 18) // 0, or beyond what 64 bits hold
        return std::nullopt;
    std::int64_t number = 0;
    std::from_chars(text.data() + first, text.data() + text.size(), number);
    return number;
}

ServiceRequest parseRequestTarget(std::string_view target)
{
    const auto [path, query] = pathAndQuery(target);
    ServiceRequest request;
    if (path == "/Title") {
        request.kind = ServiceRequest::Kind::Title;
        request.number = requestedTitleNumber(query).value_or(0);
    } else if (path == "/Tsearch") {
        request.kind = ServiceRequest::Kind::Search;
        request.words = ansiToUtf8(decodedQuery(query));
    } else if (path.starts_with("/Posters/") && path.find('/', 9) == std::string_view::npos) {
        request.kind = ServiceRequest::Kind::Poster;
        request.posterFile = path.substr(9);
    }
    return request;
}

} // namespace vantrelle::titlesite
