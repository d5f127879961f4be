#pragma once

#include <cstdint>
#include <filesystem>

namespace vantrelle::bench {

// The sizes of a synthetic title dataset. The defaults are 1/20 of the published dataset today (about
// 12M titles, 95M principals, 14.5M names, 12M crew rows, 1.6M ratings).
struct TitleDatasetSize {
    std::uint32_t titles = 600'000; // about 70% of them TV episodes, as in the real data
    std::uint32_t people = 725'000;
    std::uint32_t ratings = 80'000;
    std::uint32_t principalsPerTitle = 8; // on average: 4.8M principal rows
};

// Writes the five dataset files, gzipped, into `dir` (made when missing): the published columns, sorted by
// number, with field lengths and null rates like the real files. The same size always gives the same
// files. Every title has a crew row.
void generateTitleDataset(const std::filesystem::path& dir, const TitleDatasetSize& size = {});

} // namespace vantrelle::bench
