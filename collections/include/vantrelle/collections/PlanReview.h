#pragma once

// What the user decides about an import plan before its films are added, and the texts that show a film, its
// number and the batch's progress.

#include "vantrelle/collections/FilmImport.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrelle::collections {

// Resolves an ambiguous film to its candidate at `candidate` (from 0), which it is then matched to; nothing leaves
// it out. Throws std::out_of_range for a candidate it does not have.
void chooseCandidate(PlannedFilm& planned, std::optional<std::size_t> candidate);

// Whether a film the index did not match can be added with what the file holds: it needs a title.
bool canComeFromFile(const PlannedFilm& planned);

// Adds a film the index did not match (not found, or from the file) with what the file holds, or leaves it out.
// A film without a title is left out.
void addFromFile(PlannedFilm& planned, bool add);

// "Title (1999)", or the title alone without a year.
std::string filmLabel(std::string_view title, std::optional<int> year);

// "tt0133093": at least seven digits, as IMDb writes title numbers.
std::string titleNumberText(std::int64_t number);

// The name a film of the file goes by: its title, else its original title, else its title number.
std::string fileTitle(const FileFilm& film);

// "Films: 120 of 300, 40.0 a second, 0:05 left", "Covers: ...": the rate and the time left once a second of the
// stage has passed and something was done in it.
std::string progressLine(ImportStage stage, std::size_t done, std::size_t total, double secondsInStage);

} // namespace vantrelle::collections
