#pragma once

// Reading a collection file of another program or service into the films it lists.
//
// Limitations: a file is read whole into memory, and at most kMaxCollectionBytes of it (a zip's
// tellico.xml likewise); films are identified as the file gives them, nothing is looked up here.

#include "vantrelle/Error.h"
#include "vantrelle/collections/FileFilm.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::collections {

// A file that cannot be read as a collection of films: damaged, of no kind known here, or a collection of
// something else (books, music). The message names the file and the reason.
class ECollectionError : public vantrelle::Error {
public:
    using vantrelle::Error::Error;
};

inline constexpr std::size_t kMaxCollectionBytes = 256u << 20;

// The kinds of file that are read.
enum class CollectionKind {
    list, // a plain list: one film a line
    imdb, // an IMDb ratings, watchlist or list export
    letterboxd, // a Letterboxd export (watched, ratings, diary, watchlist, likes, reviews, a list)
    tellico, // a Tellico video collection (.tc zip or bare XML)
    gcstar, // a GCstar film collection (.gcs)
    dvdProfiler, // a DVD Profiler Collection.xml
    kodi, // a Kodi library export (videodb.xml)
};

// "plain list", "IMDb export", "Letterboxd export", "Tellico collection", "GCstar collection",
// "DVD Profiler collection", "Kodi library".
std::string_view kindName(CollectionKind kind);

// Whether files of this kind carry their own details (genres, cast, ...), so that a film the title index
// does not know can still be added from the file.
bool carriesDetails(CollectionKind kind);

struct Collection {
    CollectionKind kind = CollectionKind::list;
    // Each film once: repeated entries (a rewatch, a second edition, a repeated line) are one film.
    std::vector<FileFilm> films;
};

// Reads `file`, choosing the reader by its content (and where the content leaves it open, by its
// extension). Throws ECollectionError "FILE: reason" when it cannot.
Collection readCollection(const std::filesystem::path& file);

// As readCollection, for bytes already read; `file` names them in messages and is where pictures beside the
// collection are looked for (its folder, "<file>_files/").
Collection readCollectionBytes(std::string_view bytes, const std::filesystem::path& file);

} // namespace vantrelle::collections
