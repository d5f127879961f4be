// Search pages and redirect URLs come from the network. The first line of the input is taken as
// the request's RedirectURL, the rest as the page.
#include "vantrelle/titleservice/SearchResults.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vantrelle::titleservice;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view redirect
        = newline == std::string_view::npos ? std::string_view {} : input.substr(0, newline);
    const std::string_view page = newline == std::string_view::npos ? input : input.substr(newline + 1);
    const SearchAnswer answer = readSearchAnswer(page, redirect);
    // Every result comes out of its own "/Title?" link of the page.
    if (answer.results.size() > page.size() / 7)
        __builtin_trap();
    for (const auto& result : answer.results)
        if (result.display.size() > page.size() || result.number.Number.size() > page.size())
            __builtin_trap();
    for (int index = -1; index <= static_cast<int>(answer.results.size()); ++index)
        (void)chosenTitleUrl(answer, index);
    return 0;
}
