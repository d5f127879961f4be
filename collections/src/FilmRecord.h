#pragma once

// The catalogue row a film of a collection becomes.

#include "vantrelle/collections/FileFilm.h"
#include "vantrelle/store/StoredRow.h"
#include "vantrelle/titleindex/Title.h"

#include <string_view>

namespace vantrelle::collections {

// The values that looking the title up by its number ("Enter Number") fills in, from the title page the local
// title service makes of the index's title and the poster source's tagline: every text column (empty text where
// the title has nothing), Runtime (0 when unknown) and Year. The cover is not among them.
store::MovieRecord lookupRecord(const titleindex::Title& title, std::string_view tagline);

// Sets the tagline as a lookup does when the poster source gives one.
void setLookupTagline(store::MovieRecord& row, std::string_view tagline);

void setCover(store::MovieRecord& row, store::Bytes cover);

// Fills the columns of `row` that are null or empty (Runtime 0), and those a lookup never fills (Format,
// NoOfCds), with the file's own values.
void fillFromFile(store::MovieRecord& row, const FileFilm& film);

// The row of a film that is added with what the file holds.
store::MovieRecord fileRecord(const FileFilm& film);

} // namespace vantrelle::collections
