#pragma once

// Bringing the films of a collection file into a catalogue: the plan (each film with what it matched and its
// status), which the user may resolve, then the batch that adds the films, details and covers, in one go.

#include "vantrelle/collections/Collection.h"
#include "vantrelle/collections/TitleMatch.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titleindex {
class TitleIndex;
}

namespace vantrelle::postersource {
class PosterSource;
}

namespace vantrelle::collections {

// One film of the file and what becomes of it. To resolve an ambiguous film, set `match.number` to one of its
// candidates and `match.status` to matched; to add a not-found film with what the file holds, set the status to
// fromFile; to leave a film out, set `include` to false.
struct PlannedFilm {
    FileFilm film;
    TitleMatch match;
    bool include = true;
};

struct ImportPlan {
    CollectionKind kind = CollectionKind::list;
    bool indexUsed = false; // false when there was no title index to match against
    std::vector<PlannedFilm> films; // in the file's order
};

// Matches every film of `collection` (against `index` when there is one) and marks the films already in the
// catalogue that `connectionString` names (none when it is empty), by title and year, as duplicates. A film the
// index does not know, in a file that carries its own details, is fromFile. Reads the catalogue, writes nothing.
ImportPlan planImport(
    const Collection& collection, const titleindex::TitleIndex* index, std::string_view connectionString);

// What the poster source adds to a matched film: its tagline (UTF-8) and its poster's picture file bytes.
// Empty parts when there is none; failures give nothing and never throw.
struct Extras {
    std::string tagline;
    std::vector<std::uint8_t> poster;
};
using ExtrasSource = std::function<Extras(std::int64_t number)>;

// The extras of `source`, which must outlive what is returned; none (an empty function) when it has no key.
ExtrasSource posterExtras(const postersource::PosterSource& source);

enum class ImportStage { films, covers };

struct AddOptions {
    ExtrasSource extras; // none: no poster source (no key set)
    // Told how many of the films of a stage are done, out of how many: the films first (their details), then
    // the covers. Called on the calling thread.
    std::function<void(ImportStage stage, std::size_t done, std::size_t total)> progress;
    // Set from another thread to stop: nothing is added then.
    const std::atomic<bool>* cancel = nullptr;
};

struct AddResult {
    std::size_t added = 0;
    std::size_t duplicates = 0; // found to be in the catalogue when they were to be added
    std::size_t coversFailed = 0; // films left with the placeholder because their cover could not be made
    bool cancelled = false;
};

// How many films addFilms would add: the included ones that are matched or fromFile.
std::size_t filmsToAdd(const ImportPlan& plan);

// Adds the included films of `plan` that are matched (with exactly the values a lookup of their number fills in)
// or fromFile (with what the file holds) to the catalogue that `connectionString` names, in one transaction: all
// of them or none. The file's own values fill what the index leaves empty and the columns a lookup never fills
// (Format, NoOfCds); its own cover serves when the poster source gives none. Covers are fetched at most four at a
// time; one that fails leaves the placeholder. Films found to be in the catalogue by then are skipped and marked
// duplicate in `plan`. `index` is needed when the plan has matched films. Throws when the catalogue cannot be
// written or a matched number is not in the index, and then adds nothing.
AddResult addFilms(ImportPlan& plan, const titleindex::TitleIndex* index, std::string_view connectionString,
    const AddOptions& options = {});

} // namespace vantrelle::collections
