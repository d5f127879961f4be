// GCstar's collections: <collection type="GCfilms"> of <item>s whose values stand mostly in attributes (title,
// original, date, time, director, format, number of media, image, webPage). Lists stand in elements of
// <line>s of <col>s (<genre>, <actors>: name and role), or, in older files, in one attribute ("actors=
// "Name (Role), ..."). A web page ending in "##IMDb" was filled by the IMDb plugin and names the title.
// Collections of another type (GCbooks, GCmusics, ...) are refused.

#include "FilmText.h"
#include "XmlDocument.h"
#include "XmlReaders.h"

namespace vantrelle::collections {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFilmType = "GCfilms";

// The first column of each line of a list element.
std::vector<std::vector<std::string>> lines(const xmlNode* list)
{
    std::vector<std::vector<std::string>> rows;
    for (const xmlNode* line : childElements(list, "line")) {
        std::vector<std::string> columns;
        for (const xmlNode* column : childElements(line, "col"))
            columns.push_back(textOf(column));
        if (!columns.empty() && !columns.front().empty())
            rows.push_back(std::move(columns));
    }
    return rows;
}

// "Famke Janssen (Marnie Watson), Bobby Cannavale (Shanks)".
std::vector<FileCastMember> castAttribute(const std::string& text)
{
    std::vector<FileCastMember> cast;
    for (const std::string& entry : splitList(text, ',')) {
        const std::size_t open = entry.find(" (");
        if (open != std::string::npos && entry.ends_with(')'))
            cast.push_back({ entry.substr(0, open), entry.substr(open + 2, entry.size() - open - 3) });
        else
            cast.push_back({ entry, {} });
    }
    return cast;
}

CoverPicture cover(const std::string& image, const fs::path& file)
{
    CoverPicture picture;
    if (image.empty() || image.find("://") != std::string::npos)
        return picture;
    const fs::path path = fs::path(image).is_absolute() ? fs::path(image) : file.parent_path() / image;
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
        picture.file = path;
        picture.extension = path.extension().string();
    }
    return picture;
}

FileFilm itemFilm(const xmlNode* item, const fs::path& file)
{
    FileFilm film;
    film.line = lineOf(item);
    film.title = attribute(item, "title");
    film.originalTitle = attribute(item, "original");
    film.year = yearIn(attribute(item, "date"), true);
    const std::string webPage = attribute(item, "webPage");
    if (webPage.ends_with("##IMDb"))
        film.number = titleNumberIn(webPage.substr(0, webPage.find("/find")));
    for (const auto& genre : lines(firstChild(item, "genre")))
        film.genres.push_back(genre.front());
    film.directors = splitList(attribute(item, "director"), ',');
    for (const auto& actor : lines(firstChild(item, "actors")))
        film.cast.push_back({ actor.front(), actor.size() > 1 ? actor[1] : std::string() });
    if (film.cast.empty())
        film.cast = castAttribute(attribute(item, "actors"));
    film.runtime = minutesIn(attribute(item, "time"));
    film.format = attribute(item, "format");
    film.discs = countIn(attribute(item, "number"));
    film.notes = childText(item, "synopsis");
    film.cover = cover(attribute(item, "image"), file);
    return film;
}

} // namespace

std::vector<FileFilm> readGcstar(const xmlNode* root, const fs::path& file)
{
    const std::string type = attribute(root, "type");
    if (type != kFilmType) {
        std::string kind = type.starts_with("GC") ? type.substr(2) : type;
        throw ECollectionError("a GCstar collection of " + (kind.empty() ? std::string("an unknown kind") : kind) + " ("
            + type + "), not of films");
    }
    std::vector<FileFilm> films;
    for (const xmlNode* item : childElements(root, "item"))
        films.push_back(itemFilm(item, file));
    return films;
}

} // namespace vantrelle::collections
