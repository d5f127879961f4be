#include "CommandRegistry.h"

#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/Schema.h"

#include <array>
#include <filesystem>
#include <iostream>

using namespace vantrelle::tool;

namespace {

// Films made up for the demo catalogue; any likeness to real films is accidental.
struct DemoFilm {
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
    { "The Lighthouse Accord", 1987, "Drama", "Marta Velling", "Two keepers. One light. No way back.", 112, "DVD", 1,
        { "Oskar Brandt", "Tomas Hale", "Lena Ivers", "Mara Hale", "Piet Corbin", "Harbourmaster", "Elsa Munk",
            "Nurse" } },
    { "Quiet Orbit", 2003, "Sci-Fi", "Ravi Anand", "In space, nobody hears you whisper.", 98, "Blu-ray", 1,
        { "Jun Park", "Commander Sato", "Ines Moreau", "Dr. Vale", "Kofi Mensah", "Engineer Obi", "Ada Lind",
            "AURA" } },
    { "Paper Lanterns", 1995, "Romance", "Chiara Bellini", "Some promises are written to burn.", 104, "VHS", 1,
        { "Luca Ferri", "Matteo", "Sofia Rinaldi", "Giulia", "Anna Conti", "Nonna Rosa", "Marco Bassi",
            "The Postman" } },
    { "Iron Valley Express", 1979, "Western", "Hank Doyle", "The last train west stops for no one.", 121, "DVD", 1,
        { "Wade Carver", "Marshal Reese", "June Tilly", "Clara Boone", "Ezra Polk", "Black Jack Dunn", "Sam Ortiz",
            "The Conductor" } },
    { "Midnight at the Aquarium", 2011, "Mystery", "Noor Haddad", "The fish saw everything.", 93, "DVD", 1,
        { "Elise Marchand", "Inspector Roux", "Dev Patel-Stone", "Night Guard", "Greta Solberg", "Curator Anke",
            "Leo Braun", "The Diver" } },
    { "A Recipe for Thunder", 2016, "Comedy", "Benny Okafor", "Cooking up a storm, literally.", 89, "Blu-ray", 1,
        { "Tessa Quinn", "Chef Dolly", "Marcus Webb", "Gordon", "Yuki Mori", "Sous-chef Aya", "Pablo Ruiz",
            "Critic" } },
    { "Glass Harbour", 1992, "Thriller", "Sigrid Holm", "Everyone in town can see through a lie.", 117, "VHS", 2,
        { "Anders Vik", "Detective Lunde", "Mette Strand", "Ingrid", "Ola Berg", "The Mayor", "Kari Dahl",
            "Witness" } },
    { "Cloudbreak", 2008, "Adventure", "Tom Ashby", "Climb higher than the weather.", 132, "DVD", 2,
        { "Finn Harper", "Ridge", "Zara Lowe", "Kit", "Omar Said", "Sherpa Dawa", "Beth Cole", "Base Radio" } },
    { "\xC3\x89t\xC3\xA9 \xC3\xA0 Montreuil", 1999, "Drama", "Claire Fabre", "Un \xC3\xA9t\xC3\xA9 qui change tout.",
        101, "DVD", 1,
        { "Julien Roche", "Antoine", "Am\xC3\xA9lie Garnier", "Sophie", "Henri Blanc", "Le p\xC3\xA8re", "Louise Petit",
            "Nina" } },
    { "The Clockmaker's Apprentice", 1984, "Fantasy", "Agnes Whitlow", "Time waits for one boy.", 109, "VHS", 1,
        { "Robin Fell", "Pip", "Harold Grey", "Master Tock", "Mabel Finch", "Widow Lark", "Ned Hollis", "The Mayor" } },
    { "zero gravity blues", 2020, "Music", "DJ Amara", "Turn it up past the atmosphere.", 86, "Digital", 1,
        { "Kemi Ade", "Nova", "Rico Santos", "Bass", "Lily Chen", "Producer", "Max Stein", "Manager" } },
    { "Northbound", 1973, "Road Movie", "Walt Hensley", "Three friends. One van. No map.", 97, "DVD", 1,
        { "Danny Ruiz", "Sal", "Carol Pike", "Jo", "Ben Tate", "Hitchhiker", "Rita Moss", "Diner Owner" } },
};

int demo(const Arguments& args)
{
    if (args.size() != 1)
        throw UsageError { args.empty() ? "the folder is missing" : "too many arguments" };
    const std::filesystem::path folder = args[0];
    std::filesystem::create_directories(folder);
    const auto file = folder / "Movies.mdb";
    vantrelle::store::createCatalogue(file);

    vantrelle::store::TMoviesQuery query;
    query.ConnectionString = vantrelle::store::connectionStringFor(file);
    query.Open();
    for (const DemoFilm& film : kDemoFilms) {
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
            castColumns[i]->SetAsString(film.cast[i]);
        query.Post();
    }
    std::cout << "Created " << file.string() << " with " << std::size(kDemoFilms) << " films\n";
    return 0;
}

RegisterCommand reg("demo", { "demo DIR", "creates DIR with a Movies.mdb holding a dozen sample films", demo });

} // namespace
