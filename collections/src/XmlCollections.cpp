// An XML collection is known by its root element: <tellico>, GCstar's <collection type="...">, DVD Profiler's
// <Collection>, Kodi's <videodb>.

#include "FilmText.h"
#include "Readers.h"
#include "XmlDocument.h"
#include "XmlReaders.h"

namespace vantrelle::collections {

std::optional<Collection> readXmlCollection(std::string_view text, const std::filesystem::path& file)
{
    if (!looksLikeXml(text))
        return std::nullopt;
    const XmlDocument document(text);
    const xmlNode* root = document.root();
    const std::string_view name = localName(root);
    if (name == "tellico")
        return Collection { CollectionKind::tellico, distinctFilms(readTellico(root, file, {})) };
    if (name == "collection")
        return Collection { CollectionKind::gcstar, distinctFilms(readGcstar(root, file)) };
    if (name == "Collection")
        return Collection { CollectionKind::dvdProfiler, distinctFilms(readDvdProfiler(root)) };
    if (name == "videodb")
        return Collection { CollectionKind::kodi, distinctFilms(readKodi(root)) };
    throw ECollectionError("an XML file of a kind not read here (its root element is <" + std::string(name) + ">)");
}

} // namespace vantrelle::collections
