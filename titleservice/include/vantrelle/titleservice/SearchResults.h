#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titleservice {

// The title number carried by one line of the search results.
class TNumberClass {
public:
    std::string Number;
};

struct SearchResult {
    std::string display; // the link text shown in the selection dialog
    TNumberClass number;
};

// What a completed search answered.
struct SearchAnswer {
    enum class Kind {
        TitlePage, // redirected to a title page: request `redirectUrl` when `requestRedirect`
        NoMovie, // no results list: show "No movie by that name have been found!"
        Results, // a results list (possibly empty) to choose from
    };
    Kind kind = Kind::NoMovie;
    bool requestRedirect = false; // TitlePage: the page that came back is not empty
    std::string redirectUrl;
    std::vector<SearchResult> results; // Results: in the order of the page's links
    // Results: nothing of the list block was left after reading the links; a confirmed choice
    // then makes no request.
    bool remainderEmpty = true;
};

inline constexpr std::string_view kNoMovieFoundMessage = "No movie by that name have been found!";

// Reads a search's page and the RedirectURL of its request.
SearchAnswer readSearchAnswer(std::string_view page, std::string_view redirectUrl);

// TitleServiceBaseURL + "/Title?" + the number, as typed (neither trimmed nor checked).
std::string titlePageUrl(std::string_view number);

// The title number that a title page's URL asks for: what follows its first "/Title?" (the whole
// URL when it has none).
std::string_view titleNumberOf(std::string_view url);

// TitleServiceBaseURL + "/Tsearch?" + the typed title with every space replaced by "+".
std::string searchUrl(std::string_view title);

// The title page to request for a confirmed choice of line `index` (-1 for none): empty when no
// request is to be made.
std::string chosenTitleUrl(const SearchAnswer& answer, int index);

} // namespace vantrelle::titleservice
