#include "vantrelle/app/CommandLine.h"

#include "vantrelle/UserFiles.h"
#include "vantrelle/postersource/TmdbSource.h"
#include "vantrelle/titledata/Import.h"

#include <exception>
#include <iostream>

namespace vantrelle::app {

namespace {

std::string userCatalogueText()
{
    try {
        return (userDataDir() / "Movies.mdb").string();
    } catch (const std::exception&) {
        return "$XDG_DATA_HOME/vantrelle/Movies.mdb";
    }
}

void printHelp(std::ostream& out)
{
    out << "Usage: vantrelle [FILE]\n"
           "Keeps the catalogue of the films you own.\n"
           "\n"
           "Opens the catalogue FILE. Without FILE, opens Movies.mdb in the current folder when there is one,\n"
           "and otherwise your own catalogue, "
        << userCatalogueText()
        << ",\n"
           "which is created on first start.\n"
           "\n"
           "Options:\n"
           "  --help       show this help and exit\n"
           "  --version    show the version and exit\n"
           "Qt's own options (-platform, -style, ...) are understood as well.\n"
           "\n"
           "Films are looked up in your title index; with a TMDB key (\"Poster Source...\" in the Action menu,\n"
           "or VANTRELLE_TMDB_KEY) they get their poster and tagline.\n"
        << titledata::kCreditLine << "\n"
        << postersource::kAttribution << "\n";
}

} // namespace

CommandLine readCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine result;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--help") {
            return { CommandLine::Request::Help, {}, {} };
        } else if (!optionsEnded && argument == "--version") {
            return { CommandLine::Request::Version, {}, {} };
        } else if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            result = { CommandLine::Request::UsageError, {}, "unknown option '" + argument + "'" };
        } else if (result.file) {
            result = { CommandLine::Request::UsageError, {}, "only one catalogue can be opened at a time" };
        } else if (result.request == CommandLine::Request::Run) {
            result.file = argument;
        }
    }
    return result;
}

int answerOnTerminal(const CommandLine& commandLine)
{
    switch (commandLine.request) {
    case CommandLine::Request::Help:
        printHelp(std::cout);
        return 0;
    case CommandLine::Request::Version:
        std::cout << "vantrelle " VANTRELLE_VERSION "\n";
        return 0;
    case CommandLine::Request::UsageError:
        std::cerr << "vantrelle: " << commandLine.error << "\nTry 'vantrelle --help' for more information.\n";
        return 2;
    case CommandLine::Request::Run:
        break;
    }
    return 0;
}

} // namespace vantrelle::app
