// vantrelle-tool demo DIR [--posters FOLDER]: a demo catalogue of the stand-in title service's invented films.
// With a poster folder, each film gets its poster as the cover, brought in by the cover import as a picture file
// chosen in the window is.
#include "CommandRegistry.h"

#include "vantrelle/Error.h"
#include "vantrelle/exchange/CoverValue.h"
#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/Schema.h"
#include "vantrelle/titleindex/PosterFolder.h"
#include "vantrelle/titleindex/TitlePages.h"

#include <array>
#include <filesystem>
#include <iostream>
#include <optional>
#include <vector>

using namespace vantrelle::tool;

namespace fs = std::filesystem;

namespace {

// The films of tools/titledata as a lookup fills them in (the genres joined by " / "), under the same title
// numbers, with what the title data lacks: a tagline, the format and the number of discs. Any likeness to real
// films is accidental.
struct DemoFilm {
    std::int64_t number;
    const char* title;
    int year;
    const char* genre;
    const char* director;
    const char* tagline;
    int runtime;
    const char* format;
    int discs;
    std::array<const char*, 8> cast; // actor, character, actor, character, ...
};

const DemoFilm kDemoFilms[] = {
    { 100001, "Harbour Lights", 1987, "Drama / Thriller", "Edda Quill", "Every light in the bay hides a signal.", 112,
        "DVD", 1,
        { "Oren Marsh", "Captain Rook", "Ida Vell", "Mara Lindqvist", "Tade Okonkwo", "The Pilot", "Sefa Brandt",
            "Harbourmaster" } },
    { 100002, "The Glass Orchard", 1994, "Drama / Romance", "Piet Armand",
        "Some things grow only where they can break.", 124, "VHS", 2,
        { "Lucia Serrano", "Ines", "Bram Halloway", "Tomas Wren", "Nkem Ibe", "The Glazier", "Tilde Morrow",
            "Aunt Pell" } },
    { 100003, "Night Ferry to Brellin", 1979, "Mystery / Thriller", "Hollis Crane", "Nine passengers. Eight tickets.",
        97, "DVD", 1,
        { "Clive Ashdown", "Inspector Farr", "Marguerite Duval", "Madame Roux", "Ronald Pike", "The Steward",
            "Elsie Vance", "Miss Tolley" } },
    { 100005, "Lanterns Over Vael", 1999, "Fantasy / Adventure", "Ana\xC3\xAFs Lef\xC3\xA8vre",
        "When the last lantern fails, the valley forgets.", 131, "Blu-ray", 1,
        { "Halvard Rask", "Keeper Orm", "Thandi Mbeki", "The Lamplighter", "Ren Kato", "Prince Aubel", "", "" } },
    { 100006, "Harbour Lights II: Undertow", 1991, "Drama / Thriller", "Edda Quill", "The tide always comes back.", 104,
        "DVD", 1,
        { "Oren Marsh", "Captain Rook", "Ida Vell", "Mara Lindqvist", "Corin Fenn", "Salvager", "Abena Osei",
            "Dr. Hale" } },
    { 100008, "Signal Lost", 2011, "Sci-Fi / Thriller", "Kwame Asante-Reyes", "Out here, silence is an answer.", 99,
        "Blu-ray", 1,
        { "Dani Ortiz", "Cmdr. Ysa Vale", "Peer Lindahl", "Ostrom", "Ngozi Achebe", "Relay Operator", "Milo Strand",
            "Kestrel (voice)" } },
    { 100009, "Paper Kingdoms", 1985, "Comedy", "Lotte Brecker", "A small country with a very large ego.", 92, "VHS", 1,
        { "Harald Quist", "King Ottokar", "June Fairweather", "Lady Pim", "Kofi Boateng", "The Chancellor", "Ilse Marr",
            "Cook" } },
    { 100010, "Twelve Bells", 1962, "Crime / Film-Noir", "Amos Fenwick", "Midnight has a witness.", 88, "DVD", 1,
        { "Dean Carrow", "Nick Lasko", "Vera Sterling", "Lila Moss", "Paul Kress", "Lt. Briggs", "Olive Day",
            "Mrs. Kemp" } },
    { 100011, "Midwinter Circus", 2015, "Family / Comedy", "Solveig Haar", "The show goes on, whatever the weather.",
        97, "Digital", 1,
        { "Rosa Pellow", "Ringmistress Bea", "Jun Nakamura", "Tobi", "Alasdair Grieve", "Mr. Fitch", "Esi Odum",
            "Clown Pip" } },
    { 100012, "Orbit of Small Things", 2020, "Animation / Sci-Fi", "Juno Park", "Big adventures come in small sizes.",
        88, "Blu-ray", 1,
        { "Tolu Adeyemi", "Pebble (voice)", "Dana Rhee", "Captain Quark (voice)", "Sven Holm", "Moth (voice)",
            "Eszter Varga", "Mission Control (voice)" } },
    { 100013, "Eastern Tide", 1983, "Drama / Adventure", "Brigid Conlon", "One ship. One season. No second chance.",
        103, "VHS", 1,
        { "Emeka Nwosu", "First Mate Oyelaran", "Hanne S\xC3\xB8rli", "Signe", "Lucas Ferreira", "The Cook",
            "Maren Holt", "Widow Anker" } },
    { 100014, "\xC3\x89t\xC3\xA9 \xC3\xA0 Montreuil", 1999, "Drama", "Claire Fabre",
        "Un \xC3\xA9t\xC3\xA9 qui change tout.", 101, "DVD", 1,
        { "Julien Roche", "Antoine", "Am\xC3\xA9lie Garnier", "Sophie", "Henri Blanc", "Le p\xC3\xA8re", "Louise Petit",
            "Nina" } },
    { 100015, "Evening Wire", 1958, "Crime / Film-Noir", "Walter Ambrose", "Every call is a confession.", 84, "DVD", 1,
        { "Ray Delacroix", "Det. Sam Kearney", "Nora Vail", "Evelyn Shore", "Gus Tillman", "The Operator",
            "Betty Lorne", "Switchboard Girl" } },
    { 100016, "\xC3\x8Ele de Sable", 2005, "Adventure / Family", "Yann Kerbrat",
        "Une \xC3\xAEle qui bouge avec la mar\xC3\xA9"
        "e.",
        94, "DVD", 1,
        { "Ga\xC3\xABl Le Bihan", "Tristan", "Soazig Morvan", "Ma\xC3\xAFwenn", "Paul Gu\xC3\xA9gu\xC3\xA9n",
            "Le gardien du phare", "Rozenn Ollivier", "Grand-m\xC3\xA8re" } },
    { 100017, "\xC3\x81ngel del Norte", 2017, "Drama", "In\xC3\xA9s Carvajal", "Nadie vuelve igual del norte.", 108,
        "Blu-ray", 1,
        { "Tom\xC3\xA1s Aguirre", "\xC3\x81ngel",
            "Luc\xC3\xAD"
            "a Ben\xC3\xADtez",
            "Marisol", "Ram\xC3\xB3n Ibarra", "Don Esteban",
            "Pilar Oca\xC3\xB1"
            "a",
            "La maestra" } },
};

// Each film's poster from the folder as the bytes the Cover column stores, in the order of kDemoFilms.
std::vector<vantrelle::store::Bytes> posterCovers(const fs::path& folder)
{
    const auto posters = vantrelle::titleindex::posterFiles(folder);
    std::vector<vantrelle::store::Bytes> covers;
    for (const DemoFilm& film : kDemoFilms) {
        const auto poster = posters.find(film.number);
        if (poster == posters.end())
            throw vantrelle::Error("The poster folder \"" + folder.string() + "\" has no poster for \"" + film.title
                + "\" (" + vantrelle::titleindex::titleNumberText(film.number) + ")");
        covers.push_back(vantrelle::exchange::importCoverPicture(poster->second, poster->second.extension().string()));
        if (covers.back().empty())
            throw vantrelle::Error("The poster \"" + poster->second.string() + "\" holds no picture");
    }
    return covers;
}

int demo(const Arguments& args)
{
    std::optional<fs::path> folder;
    std::optional<fs::path> posters;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--posters") {
            if (i + 1 == args.size())
                throw UsageError { "--posters needs a folder" };
            posters = args[++i];
        } else if (!folder) {
            folder = args[i];
        } else {
            throw UsageError { "too many arguments" };
        }
    }
    if (!folder)
        throw UsageError { "the folder is missing" };
    // The covers first: a poster that fails leaves no catalogue behind.
    const std::vector<vantrelle::store::Bytes> covers
        = posters ? posterCovers(*posters) : std::vector<vantrelle::store::Bytes> {};

    fs::create_directories(*folder);
    const auto file = *folder / "Movies.mdb";
    vantrelle::store::createCatalogue(file);
    vantrelle::store::TMoviesQuery query;
    query.ConnectionString = vantrelle::store::connectionStringFor(file);
    query.Open();
    for (std::size_t k = 0; k < std::size(kDemoFilms); ++k) {
        const DemoFilm& film = kDemoFilms[k];
        query.Insert();
        query.aqMoviesNameOfMovie.SetAsString(film.title);
        query.aqMoviesYear.SetAsInteger(film.year);
        query.aqMoviesGenre.SetAsString(film.genre);
        query.aqMoviesDirector.SetAsString(film.director);
        query.aqMoviesTagline.SetAsString(film.tagline);
        query.aqMoviesRuntime.SetAsInteger(film.runtime);
        query.aqMoviesFormat.SetAsString(film.format);
        query.aqMoviesNoOfCds.SetAsInteger(film.discs);
        vantrelle::store::TField* const castColumns[] = { &query.aqMoviesCastMemberName1, &query.aqMoviesCharacter1,
            &query.aqMoviesCastMemberName2, &query.aqMoviesCharacter2, &query.aqMoviesCastMemberName3,
            &query.aqMoviesCharacter3, &query.aqMoviesCastMemberName4, &query.aqMoviesCharacter4 };
        for (std::size_t i = 0; i < film.cast.size(); ++i)
            if (*film.cast[i])
                castColumns[i]->SetAsString(film.cast[i]);
        if (!covers.empty())
            query.aqMoviesCover.SetAsBytes(covers[k]);
        query.Post();
    }
    std::cout << "Created " << file.string() << " with " << std::size(kDemoFilms) << " films"
              << (covers.empty() ? "" : " and their posters") << "\n";
    return 0;
}

RegisterCommand reg("demo",
    { "demo DIR [--posters FOLDER]",
        "creates DIR with a Movies.mdb holding the stand-in title service's films, with their posters from FOLDER "
        "as covers",
        demo });

} // namespace
