// Tellico's collections: <tellico><collection type="3"><entry>... in the default namespace
// "http://periapsis.org/tellico/". Type 3 is a video collection; the others (books, music, ...) are refused.
// A field of several values stands in a plural element (<genres><genre>), a table field's rows in <column>s
// (<casts><cast><column>actor</column><column>role</column></cast>). A cover is named by its image ID
// (<cover>ID</cover>): the picture is "images/ID" in a .tc zip, or "ID" in the folder "<file>_files" beside the
// collection.

#include "FilmText.h"
#include "XmlDocument.h"
#include "XmlReaders.h"

#include <array>

namespace vantrelle::collections {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kVideoType = "3";

// What the other collection types hold, by their number.
std::string_view typeName(std::string_view type)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 13> kTypes { {
        { "1", "a kind of its own" },
        { "2", "books" },
        { "4", "music" },
        { "5", "bibliographic entries" },
        { "6", "comic books" },
        { "7", "wines" },
        { "8", "coins" },
        { "9", "stamps" },
        { "10", "trading cards" },
        { "11", "video games" },
        { "12", "files" },
        { "13", "board games" },
        { "14", "other things" },
    } };
    for (const auto& [number, name] : kTypes)
        if (number == type)
            return name;
    return "an unknown kind";
}

// The values of a field: <genres><genre>A</genre>...</genres>, or a lone <genre>.
std::vector<std::string> values(const xmlNode* entry, std::string_view field)
{
    std::vector<std::string> texts = childTexts(firstChild(entry, std::string(field) + "s"), field);
    if (texts.empty())
        texts = childTexts(entry, field);
    return texts;
}

std::string first(const std::vector<std::string>& texts)
{
    return texts.empty() ? std::string() : texts.front();
}

CoverPicture cover(const std::string& id, const fs::path& file, const ZipPictures& inZip)
{
    CoverPicture picture;
    if (id.empty() || id.find('/') != std::string::npos || id.starts_with('.'))
        return picture;
    picture.extension = fs::path(id).extension().string();
    if (inZip)
        picture.bytes = inZip(id);
    if (picture.bytes.empty()) {
        const fs::path beside = file.parent_path() / (file.stem().string() + "_files") / id;
        std::error_code error;
        if (fs::is_regular_file(beside, error))
            picture.file = beside;
    }
    return picture;
}

FileFilm entryFilm(const xmlNode* entry, const fs::path& file, const ZipPictures& inZip)
{
    FileFilm film;
    film.line = lineOf(entry);
    film.title = childText(entry, "title");
    film.originalTitle = childText(entry, "origtitle");
    film.year = yearIn(first(values(entry, "year")));
    film.number = titleNumberIn(childText(entry, "imdb"));
    film.genres = values(entry, "genre");
    film.directors = values(entry, "director");
    for (const xmlNode* row : childElements(firstChild(entry, "casts"), "cast")) {
        const std::vector<const xmlNode*> columns = childElements(row, "column");
        FileCastMember member { textOf(columns.empty() ? row : columns[0]),
            columns.size() > 1 ? textOf(columns[1]) : std::string() };
        if (!member.name.empty())
            film.cast.push_back(std::move(member));
    }
    film.runtime = countIn(childText(entry, "running-time"));
    film.format = childText(entry, "medium");
    film.notes = childText(entry, "plot");
    if (film.notes.empty())
        film.notes = childText(entry, "comments");
    film.cover = cover(childText(entry, "cover"), file, inZip);
    return film;
}

} // namespace

std::vector<FileFilm> readTellico(const xmlNode* root, const fs::path& file, const ZipPictures& inZip)
{
    const xmlNode* collection = firstChild(root, "collection");
    if (!collection)
        throw ECollectionError("a Tellico file without a collection");
    const std::string type = attribute(collection, "type");
    if (type != kVideoType)
        throw ECollectionError("a Tellico collection of " + std::string(typeName(type)) + ", not of films");
    std::vector<FileFilm> films;
    for (const xmlNode* entry : childElements(collection, "entry"))
        films.push_back(entryFilm(entry, file, inZip));
    return films;
}

} // namespace vantrelle::collections
