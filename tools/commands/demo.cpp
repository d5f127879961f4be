// vantrelle-tool demo DIR --titles INDEX [--posters FOLDER]: a demo catalogue of the stand-in title service's
// invented films, filled from its title index as a lookup fills them. With a poster folder, each film gets its
// poster as the cover, brought in by the cover import as a picture file chosen in the window is.
#include "CommandRegistry.h"

#include "vantrelle/Error.h"
#include "vantrelle/store/CoverValue.h"
#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/Schema.h"
#include "vantrelle/titleindex/TitleIndex.h"
#include "vantrelle/titlesite/PosterFolder.h"
#include "vantrelle/titlesite/TitlePages.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <vector>

using namespace vantrelle::tool;

namespace fs = std::filesystem;

namespace {

// The demo's films by title number, with what the title data lacks: a tagline, the format and the number of
// discs. Everything else comes from the title index.
struct DemoFilm {
    std::int64_t number;
    const char* tagline;
    const char* format;
    int discs;
};

const DemoFilm kDemoFilms[] = {
    { 100001, "Every light in the bay hides a signal.", "DVD", 1 }, // Harbour Lights
    { 100002, "Some things grow only where they can break.", "VHS", 2 }, // The Glass Orchard
    { 100003, "Nine passengers. Eight tickets.", "DVD", 1 }, // Night Ferry to Brellin
    { 100005, "When the last lantern fails, the valley forgets.", "Blu-ray", 1 }, // Lanterns Over Vael
    { 100006, "The tide always comes back.", "DVD", 1 }, // Harbour Lights II: Undertow
    { 100008, "Out here, silence is an answer.", "Blu-ray", 1 }, // Signal Lost
    { 100009, "A small country with a very large ego.", "VHS", 1 }, // Paper Kingdoms
    { 100010, "Midnight has a witness.", "DVD", 1 }, // Twelve Bells
    { 100011, "The show goes on, whatever the weather.", "Digital", 1 }, // Midwinter Circus
    { 100012, "Big adventures come in small sizes.", "Blu-ray", 1 }, // Orbit of Small Things
    { 100013, "One ship. One season. No second chance.", "VHS", 1 }, // Eastern Tide
    { 100014, "Un \xC3\xA9t\xC3\xA9 qui change tout.", "DVD", 1 }, // Été à Montreuil
    { 100015, "Every call is a confession.", "DVD", 1 }, // Evening Wire
    { 100016,
        "Une \xC3\xAEle qui bouge avec la mar\xC3\xA9"
        "e.",
        "DVD", 1 }, // Île de Sable
    { 100017, "Nadie vuelve igual del norte.", "Blu-ray", 1 }, // Ángel del Norte
};

std::string joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const std::string& part : parts)
        text.append(text.empty() ? "" : separator).append(part);
    return text;
}

// Each demo film as the index holds it, in the order of kDemoFilms.
std::vector<vantrelle::titleindex::Title> indexedTitles(const fs::path& file)
{
    const vantrelle::titleindex::TitleIndex index(file);
    std::vector<vantrelle::titleindex::Title> titles;
    for (const DemoFilm& film : kDemoFilms) {
        auto title = index.title(film.number);
        if (!title)
            throw vantrelle::Error("The title index \"" + file.string() + "\" has no film "
                + vantrelle::titlesite::titleNumberText(film.number));
        titles.push_back(std::move(*title));
    }
    return titles;
}

// Each film's poster from the folder as the bytes the Cover column stores, in the order of `titles`.
std::vector<vantrelle::store::Bytes> posterCovers(
    const fs::path& folder, const std::vector<vantrelle::titleindex::Title>& titles)
{
    const auto posters = vantrelle::titlesite::posterFiles(folder);
    std::vector<vantrelle::store::Bytes> covers;
    for (const vantrelle::titleindex::Title& film : titles) {
        const auto poster = posters.find(film.number);
        if (poster == posters.end())
            throw vantrelle::Error("The poster folder \"" + folder.string() + "\" has no poster for \"" + film.title
                + "\" (" + vantrelle::titlesite::titleNumberText(film.number) + ")");
        covers.push_back(vantrelle::store::importCoverPicture(poster->second, poster->second.extension().string()));
        if (covers.back().empty())
            throw vantrelle::Error("The poster \"" + poster->second.string() + "\" holds no picture");
    }
    return covers;
}

int demo(const Arguments& args)
{
    std::optional<fs::path> folder;
    std::optional<fs::path> index;
    std::optional<fs::path> posters;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool isPosters = args[i] == "--posters";
        if (isPosters || args[i] == "--titles") {
            if (i + 1 == args.size())
                throw UsageError { isPosters ? "--posters needs a folder" : "--titles needs a title index" };
            (isPosters ? posters : index) = args[i + 1];
            ++i;
        } else if (!folder) {
            folder = args[i];
        } else {
            throw UsageError { "too many arguments" };
        }
    }
    if (!folder)
        throw UsageError { "the folder is missing" };
    if (!index)
        throw UsageError { "--titles INDEX is missing" };
    // The films and covers first: an index or poster that fails leaves no catalogue behind.
    const std::vector<vantrelle::titleindex::Title> titles = indexedTitles(*index);
    const std::vector<vantrelle::store::Bytes> covers
        = posters ? posterCovers(*posters, titles) : std::vector<vantrelle::store::Bytes> {};

    fs::create_directories(*folder);
    const auto file = *folder / "Movies.mdb";
    vantrelle::store::createCatalogue(file);
    vantrelle::store::MoviesQuery query;
    query.ConnectionString = vantrelle::store::connectionStringFor(file);
    query.open();
    for (std::size_t k = 0; k < std::size(kDemoFilms); ++k) {
        const DemoFilm& film = kDemoFilms[k];
        const vantrelle::titleindex::Title& title = titles[k];
        query.insert();
        query.aqMoviesNameOfMovie.setAsString(title.title);
        if (title.year)
            query.aqMoviesYear.setAsInteger(*title.year);
        query.aqMoviesGenre.setAsString(joined(title.genres, " / "));
        if (!title.directors.empty())
            query.aqMoviesDirector.setAsString(title.directors.front());
        query.aqMoviesTagline.setAsString(film.tagline);
        if (title.runtime)
            query.aqMoviesRuntime.setAsInteger(*title.runtime);
        query.aqMoviesFormat.setAsString(film.format);
        query.aqMoviesNoOfCds.setAsInteger(film.discs);
        vantrelle::store::Field* const castColumns[][2]
            = { { &query.aqMoviesCastMemberName1, &query.aqMoviesCharacter1 },
                  { &query.aqMoviesCastMemberName2, &query.aqMoviesCharacter2 },
                  { &query.aqMoviesCastMemberName3, &query.aqMoviesCharacter3 },
                  { &query.aqMoviesCastMemberName4, &query.aqMoviesCharacter4 } };
        for (std::size_t i = 0; i < title.cast.size() && i < std::size(castColumns); ++i) {
            castColumns[i][0]->setAsString(title.cast[i].name);
            if (!title.cast[i].characters.empty())
                castColumns[i][1]->setAsString(title.cast[i].characters);
        }
        if (!covers.empty())
            query.aqMoviesCover.setAsBytes(covers[k]);
        query.post();
    }
    std::cout << "Created " << file.string() << " with " << std::size(kDemoFilms) << " films"
              << (covers.empty() ? "" : " and their posters") << "\n";
    return 0;
}

RegisterCommand reg("demo",
    { "demo DIR --titles INDEX [--posters FOLDER]",
        "creates DIR with a Movies.mdb holding the stand-in title service's films from its title INDEX, with their "
        "posters from FOLDER as covers",
        demo });

} // namespace
