// vantrelle-tool scrape: runs the title page scraper on a page file against an empty new row of the
// movies query (in a scratch catalogue) and prints what it wrote as one JSON object. A page in
// another layout than the scraper's writes nothing, as in the window's lookups.

#include "CommandRegistry.h"
#include "NewFilmRow.h"
#include "vantrelle/Error.h"
#include "vantrelle/titleservice/TitlePageLayout.h"
#include "vantrelle/titleservice/TitlePageScraper.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

using namespace vantrelle;
using namespace vantrelle::titleservice;

namespace {

int scrape(const tool::Arguments& arguments)
{
    std::optional<ListChoice> answer;
    std::string pageFile;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--choose" && i + 1 < arguments.size())
            answer = tool::parseChoice(arguments[++i]);
        else if (pageFile.empty() && !arguments[i].starts_with("--"))
            pageFile = arguments[i];
        else
            throw tool::UsageError { "unexpected argument '" + arguments[i] + "'" };
    }
    if (pageFile.empty())
        throw tool::UsageError { "no page file given" };
    std::ifstream in(pageFile, std::ios::binary);
    if (!in)
        throw Error("Cannot open file \"" + pageFile + "\"");
    const std::string page(std::istreambuf_iterator<char>(in), {});

    tool::NewFilmRow row({}, answer);
    URLDecoder decoder;
    TitlePageScraper scraper(row, decoder);
    tool::FillOutcome outcome;
    try {
        if (isTitlePage(page))
            outcome.posterUrl = scraper.scrape(page);
        else
            outcome.error = kNotATitlePageMessage;
    } catch (const Error& e) {
        outcome.error = e.what();
    }
    outcome.runtimeEntries = scraper.runtimeEntries();
    row.print(std::cout, outcome, false);
    return 0;
}

const tool::RegisterCommand registration("scrape",
    { "scrape [--choose N|cancel] PAGE.html",
        "run the title page scraper on a saved page and print the new row it fills in as JSON; --choose answers "
        "a selection dialog with its line N, counting from 0 (-1 for no line), or cancels it",
        scrape });

} // namespace
