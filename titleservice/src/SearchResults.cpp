#include "vantrelle/titleservice/SearchResults.h"

#include "WorkingText.h"
#include "vantrelle/titleservice/Settings.h"
#include "vantrelle/titleservice/TextUtilities.h"

#include <algorithm>

namespace vantrelle::titleservice {

namespace {

constexpr std::string_view kTitleLink = "/Title?";
constexpr std::string_view kListAnchor = "NAME=\"mov\"";
constexpr std::string_view kListEnd = "</OL>";

std::string serviceUrl(std::string_view request, std::string_view argument)
{
    std::string url;
    url.reserve(TitleServiceBaseURL.size() + request.size() + argument.size());
    url.append(TitleServiceBaseURL).append(request).append(argument);
    return url;
}

} // namespace

SearchAnswer readSearchAnswer(std::string_view page, std::string_view redirectUrl)
{
    SearchAnswer answer;
    if (position(kTitleLink, redirectUrl) != 0) {
        answer.kind = SearchAnswer::Kind::TitlePage;
        answer.requestRedirect = !page.empty();
        answer.redirectUrl = redirectUrl;
        return answer;
    }
    WorkingText text(page);
    if (!text.contains(kListAnchor)) {
        answer.kind = SearchAnswer::Kind::NoMovie;
        return answer;
    }
    answer.kind = SearchAnswer::Kind::Results;
    text.SkipTo(kListAnchor);
    // The list ends with the first character of its closing tag.
    const std::size_t end = text.find(kListEnd);
    WorkingText list(text.view().substr(0, end));
    while (list.contains(kTitleLink)) {
        list.keepAfter(kTitleLink);
        SearchResult result;
        result.number.Number = list.partBefore("\"");
        list.SkipPast(">", 1);
        result.display = list.partBefore("<");
        answer.results.push_back(std::move(result));
    }
    answer.remainderEmpty = list.empty();
    return answer;
}

std::string titlePageUrl(std::string_view number)
{
    return serviceUrl(kTitleLink, number);
}

std::string_view titleNumberOf(std::string_view url)
{
    const std::size_t link = url.find(kTitleLink);
    return link == std::string_view::npos ? url : url.substr(link + kTitleLink.size());
}

std::string searchUrl(std::string_view title)
{
    std::string query(title);
    std::replace(query.begin(), query.end(), ' ', '+');
    return serviceUrl("/Tsearch?", query);
}

std::string chosenTitleUrl(const SearchAnswer& answer, int index)
{
    if (answer.kind != SearchAnswer::Kind::Results || answer.remainderEmpty || index < 0
        || static_cast<std::size_t>(index) >= answer.results.size())
        return {};
    return titlePageUrl(answer.results[static_cast<std::size_t>(index)].number.Number);
}

} // namespace vantrelle::titleservice
