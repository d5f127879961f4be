// vantrelle-tool add-films: brings a whole collection file in (a plain list, an IMDb or Letterboxd export, a
// Tellico, GCstar, DVD Profiler or Kodi file), matched against the title index in use, in one go.

#include "CommandRegistry.h"
#include "OutputFile.h"
#include "vantrelle/Csv.h"
#include "vantrelle/UserFiles.h"
#include "vantrelle/collections/FilmImport.h"
#include "vantrelle/collections/PlanReview.h"
#include "vantrelle/postersource/TmdbSource.h"
#include "vantrelle/store/ConnectionString.h"
#include "vantrelle/store/Schema.h"
#include "vantrelle/titleindex/TitleIndex.h"

#include <array>
#include <iostream>
#include <memory>

using namespace vantrelle;
using namespace vantrelle::collections;

namespace {

namespace fs = std::filesystem;

constexpr const char* kCatalogueName = "Movies.mdb";

struct AddFilmsArguments {
    std::string file;
    std::optional<std::string> catalogue;
    std::optional<std::string> report;
    bool dryRun = false;
};

AddFilmsArguments parse(const tool::Arguments& args)
{
    AddFilmsArguments parsed;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--report" && i + 1 < args.size())
            parsed.report = args[++i];
        else if (args[i] == "--dry-run")
            parsed.dryRun = true;
        else if (files.size() < 2 && !args[i].starts_with("-"))
            files.push_back(args[i]);
        else
            throw tool::UsageError { "unexpected argument '" + args[i] + "'" };
    }
    if (files.empty())
        throw tool::UsageError { "no collection file given" };
    parsed.file = files[0];
    if (files.size() > 1)
        parsed.catalogue = files[1];
    return parsed;
}

// The catalogue named, else the user's own (made when there is none yet, unless nothing is to be written).
fs::path catalogueFile(const AddFilmsArguments& args)
{
    if (args.catalogue)
        return fs::absolute(*args.catalogue);
    const fs::path file = userDataDir() / kCatalogueName;
    if (!fs::exists(file) && !args.dryRun) {
        fs::create_directories(file.parent_path());
        store::createCatalogue(file);
    }
    return file;
}

std::unique_ptr<titleindex::TitleIndex> openTitleIndex()
{
    const fs::path file = userTitleIndex();
    if (!fs::exists(file)) {
        std::cerr << "vantrelle-tool: there is no title index (" << file.string()
                  << "), so no film is matched; get the title data with \"vantrelle-tool titles\" or the window's "
                     "Title Data. Films of files that carry their own details still come in.\n";
        return nullptr;
    }
    return std::make_unique<titleindex::TitleIndex>(file);
}

void writeReport(const std::string& file, const ImportPlan& plan)
{
    std::string csv = "line,title,year,status,number";
    csv += kCsvLineEnd;
    for (const PlannedFilm& planned : plan.films) {
        csv += std::to_string(planned.film.line) + ",";
        appendCsvText(csv, planned.film.title.empty() ? planned.film.originalTitle : planned.film.title);
        csv += "," + (planned.film.year ? std::to_string(*planned.film.year) : std::string()) + ",";
        csv += statusName(planned.match.status);
        csv += ",";
        if (planned.match.status == MatchStatus::matched && planned.match.number)
            csv += titleNumberText(*planned.match.number);
        csv += kCsvLineEnd;
    }
    tool::writeOutputFile(file, std::vector<std::uint8_t>(csv.begin(), csv.end()));
}

void printCounts(const ImportPlan& plan)
{
    std::array<std::size_t, 5> counts {};
    for (const PlannedFilm& planned : plan.films)
        ++counts[static_cast<std::size_t>(planned.match.status)];
    std::cout << "Matched: " << counts[static_cast<std::size_t>(MatchStatus::matched)] << "\n"
              << "Added from the file: " << counts[static_cast<std::size_t>(MatchStatus::fromFile)] << "\n"
              << "Ambiguous: " << counts[static_cast<std::size_t>(MatchStatus::ambiguous)] << "\n"
              << "Not found: " << counts[static_cast<std::size_t>(MatchStatus::notFound)] << "\n"
              << "Duplicates: " << counts[static_cast<std::size_t>(MatchStatus::duplicate)] << "\n";
}

int addFilmsCommand(const tool::Arguments& arguments)
{
    const AddFilmsArguments args = parse(arguments);
    // Read first: a file that cannot be read changes nothing, not even by making the user's catalogue.
    const Collection collection = readCollection(args.file);
    const fs::path catalogue = catalogueFile(args);
    const std::string connection = store::connectionStringFor(catalogue);
    const std::unique_ptr<titleindex::TitleIndex> index = openTitleIndex();
    // A dry run into a user's catalogue that does not exist yet finds no duplicates.
    ImportPlan plan = planImport(collection, index.get(), fs::exists(catalogue) ? connection : std::string());

    std::size_t added = 0;
    if (!args.dryRun) {
        AddOptions options;
        const postersource::TmdbSource posterSource(postersource::tmdbSettingsFromEnvironment(),
            [](const std::string& message) { std::cerr << message << "\n"; });
        options.extras = posterExtras(posterSource);
        added = addFilms(plan, index.get(), connection, options).added;
    }
    if (args.report)
        writeReport(*args.report, plan);
    std::cout << collection.films.size() << " films in " << args.file << " (" << kindName(collection.kind) << ")\n";
    printCounts(plan);
    if (args.dryRun)
        std::cout << "Nothing was added (--dry-run)\n";
    else
        std::cout << "Added " << added << (added == 1 ? " film" : " films") << " to " << catalogue.string() << "\n";
    return 0;
}

const tool::RegisterCommand registration("add-films",
    { "add-films FILE [CATALOGUE] [--report FILE.csv] [--dry-run]",
        "brings a collection in (a plain list, an IMDb or Letterboxd export, a Tellico, GCstar, DVD Profiler or "
        "Kodi file): its films are matched against the title index and added with their details and covers to "
        "the catalogue (the user's own by default) in one go; --report writes each film's status as CSV",
        addFilmsCommand });

} // namespace
