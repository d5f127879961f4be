// DVD Profiler's Collection.xml (declared windows-1252): <Collection> of <DVD>s. Only the <Title> that is a
// child of <DVD> is the film's; <Title>s deeper down (the locks' <Locks><Title>) are not. A box set lists the
// IDs of its parts (<BoxSet><Contents><Content>); when the file profiles a part of it, the set is not a film of
// its own. Editions of one film (the same title and year) are one film. Booleans are "True" or "true".

#include "FilmText.h"
#include "XmlDocument.h"
#include "XmlReaders.h"

#include <set>

namespace vantrelle::collections {

namespace {

bool isTrue(const std::string& text)
{
    return text == "True" || text == "true" || text == "1";
}

std::string personName(const xmlNode* person)
{
    std::string name;
    for (const char* part : { "FirstName", "MiddleName", "LastName" })
        if (const std::string text = attribute(person, part); !text.empty())
            name += (name.empty() ? "" : " ") + text;
    return name;
}

std::string medium(const xmlNode* dvd)
{
    const xmlNode* types = firstChild(dvd, "MediaTypes");
    if (isTrue(childText(types, "BluRay")))
        return "Blu-ray";
    if (isTrue(childText(types, "HDDVD")))
        return "HD DVD";
    if (isTrue(childText(types, "DVD")))
        return "DVD";
    return {};
}

FileFilm dvdFilm(const xmlNode* dvd)
{
    FileFilm film;
    film.line = lineOf(dvd);
    film.title = childText(dvd, "Title");
    film.originalTitle = childText(dvd, "OriginalTitle");
    film.year = yearIn(childText(dvd, "ProductionYear"));
    film.genres = childTexts(firstChild(dvd, "Genres"), "Genre");
    for (const xmlNode* credit : childElements(firstChild(dvd, "Credits"), "Credit"))
        if (attribute(credit, "CreditType") == "Direction")
            film.directors.push_back(personName(credit));
    for (const xmlNode* actor : childElements(firstChild(dvd, "Actors"), "Actor"))
        if (std::string name = personName(actor); !name.empty())
            film.cast.push_back({ std::move(name), attribute(actor, "Role") });
    film.runtime = countIn(childText(dvd, "RunningTime"));
    if (film.runtime == 0)
        film.runtime.reset();
    film.format = medium(dvd);
    if (const auto discs = childElements(firstChild(dvd, "Discs"), "Disc"); !discs.empty())
        film.discs = static_cast<int>(discs.size());
    film.notes = childText(dvd, "Overview");
    return film;
}

} // namespace

std::vector<FileFilm> readDvdProfiler(const xmlNode* root)
{
    const std::vector<const xmlNode*> dvds = childElements(root, "DVD");
    std::set<std::string> ids;
    for (const xmlNode* dvd : dvds)
        ids.insert(childText(dvd, "ID"));
    std::vector<FileFilm> films;
    for (const xmlNode* dvd : dvds) {
        bool setOfProfiledParts = false;
        for (const std::string& part : childTexts(firstChild(firstChild(dvd, "BoxSet"), "Contents"), "Content"))
            setOfProfiledParts = setOfProfiledParts || ids.contains(part);
        if (!setOfProfiledParts)
            films.push_back(dvdFilm(dvd));
    }
    return films;
}

} // namespace vantrelle::collections
