// vantrelle-tool lookup: runs a whole title lookup, by number or by name, against the title service
// (through a proxy such as the stand-in `serve-titles`), waits for the cover download, and prints the
// filled new row as `scrape` does, with the downloaded cover's size. --cover FILE writes the bytes that
// the row's Cover column would store (an empty file when the row keeps the placeholder).

#include "CommandRegistry.h"
#include "NewFilmRow.h"
#include "OutputFile.h"
#include "vantrelle/Error.h"
#include "vantrelle/titleservice/TitleLookup.h"

#include <iostream>
#include <optional>
#include <string>

using namespace vantrelle;
using namespace vantrelle::titleservice;

namespace {

int lookup(const tool::Arguments& arguments)
{
    std::optional<ListChoice> answer;
    std::optional<std::string> number, name;
    std::string proxy;
    std::optional<std::string> coverFile;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--number" || argument == "--name" || argument == "--choose"
            || argument == "--proxy" || argument == "--cover";
        if (!takesValue)
            throw tool::UsageError { "unexpected argument '" + argument + "'" };
        if (i + 1 == arguments.size())
            throw tool::UsageError { argument + " needs a value" };
        const std::string& value = arguments[++i];
        if (argument == "--number")
            number = value;
        else if (argument == "--name")
            name = value;
        else if (argument == "--choose")
            answer = tool::parseChoice(value);
        else if (argument == "--cover")
            coverFile = value;
        else
            proxy = value;
    }
    if (number.has_value() == name.has_value())
        throw tool::UsageError { "give either --number or --name" };

    tool::NewFilmRow row(number ? *number : *name, answer);
    // No event delivery: the title page and the search are handled on this thread, the cover on
    // the download's worker while this thread waits for it.
    TitleLookup lookup(row);
    lookup.setProxy(proxy);
    tool::FillOutcome outcome;
    try {
        if (number)
            lookup.enterNumber();
        else
            lookup.searchByName();
    } catch (const Error& e) {
        outcome.error = e.what();
    }
    lookup.Http2->wait();
    if (!outcome.error && lookup.Http2->ErrorCode() != http::errors::kSuccess)
        outcome.error = http::errorText(lookup.Http2->ErrorCode());
    if (coverFile && !outcome.error) {
        try {
            tool::writeOutputFile(*coverFile, row.storedCover());
        } catch (const Error& e) {
            outcome.error = e.what();
        }
    }
    outcome.posterUrl = lookup.posterUrl();
    outcome.runtimeEntries = lookup.runtimeEntries();
    row.print(std::cout, outcome, true);
    return outcome.error ? 1 : 0;
}

const tool::RegisterCommand registration("lookup",
    { "lookup (--number N | --name WORDS) [--choose N|cancel] [--proxy URL] [--cover FILE]",
        "look a film up at the title service as \"Enter Number\" or \"Search by Name..\" do, wait for its "
        "cover, and print the new row it fills in as JSON; --choose answers a selection dialog with its line N, "
        "counting from 0 (-1 for no line), or cancels it; --cover writes the bytes its Cover column stores",
        lookup });

} // namespace
