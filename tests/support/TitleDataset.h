#pragma once

#include "vantrelle/titleindex/Title.h"

#include <filesystem>
#include <vector>

namespace vantrelle::test {

// Writes the five dataset files (plain .tsv) that hold these titles: their directors and cast (one
// character each) as people of their own, their votes as ratings. Other fields are "\N".
void writeTitleDataset(const std::filesystem::path& dir, const std::vector<titleindex::Title>& titles);

// The title index the importer builds from the dataset of these titles, as `dir`/titles.db.
std::filesystem::path importedIndex(const std::filesystem::path& dir, const std::vector<titleindex::Title>& titles);

} // namespace vantrelle::test
