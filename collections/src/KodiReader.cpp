// Kodi's library export (videodb.xml): <videodb> with a <movie> per film, beside <tvshow>s, <musicvideo>s and
// others that are not films. The title may be the user's language's, <originaltitle> the film's own. The IMDb
// number stands in a <uniqueid> (type "imdb", or any whose value is "tt...") or in the older <id>.

#include "FilmText.h"
#include "XmlDocument.h"
#include "XmlReaders.h"

namespace vantrelle::collections {

namespace {

std::optional<std::int64_t> imdbNumber(const xmlNode* movie)
{
    for (const xmlNode* id : childElements(movie, "uniqueid")) {
        const std::string value = textOf(id);
        if (attribute(id, "type") == "imdb" || value.starts_with("tt"))
            if (auto number = titleNumberIn(value))
                return number;
    }
    const std::string id = childText(movie, "id");
    return id.starts_with("tt") ? titleNumberIn(id) : std::nullopt;
}

FileFilm movieFilm(const xmlNode* movie)
{
    FileFilm film;
    film.line = lineOf(movie);
    film.title = childText(movie, "title");
    film.originalTitle = childText(movie, "originaltitle");
    film.year = yearIn(childText(movie, "year"));
    if (!film.year)
        film.year = yearIn(childText(movie, "premiered"));
    film.number = imdbNumber(movie);
    film.genres = childTexts(movie, "genre");
    film.directors = childTexts(movie, "director");
    for (const xmlNode* actor : childElements(movie, "actor"))
        if (std::string name = childText(actor, "name"); !name.empty())
            film.cast.push_back({ std::move(name), childText(actor, "role") });
    film.runtime = countIn(childText(movie, "runtime"));
    if (film.runtime == 0)
        film.runtime.reset();
    film.tagline = childText(movie, "tagline");
    film.notes = childText(movie, "plot");
    return film;
}

} // namespace

std::vector<FileFilm> readKodi(const xmlNode* root)
{
    std::vector<FileFilm> films;
    for (const xmlNode* movie : childElements(root, "movie"))
        films.push_back(movieFilm(movie));
    return films;
}

} // namespace vantrelle::collections
