#pragma once

#include <cstdint>
#include <filesystem>

namespace vantrelle::bench {

// The sizes of a synthetic title dataset. The defaults are 1/20 of the published dataset today.
struct TitleDatasetSize {
    std::uint32_t titles = 600'000; // about 75% of them TV episodes, as in the real data
    std::uint32_t people = 700'000;
    std::uint32_t ratings = 75'000;
    std::uint32_t principalsPerTitle = 8; // on average: 4.8M principal rows

    // The published size: about 12M titles (9M of them episodes), 96M principals, 14M names, 12M crew
    // rows and 1.5M ratings.
    static TitleDatasetSize published() { return { 12'000'000, 14'000'000, 1'500'000, 8 }; }
};

// Writes the five dataset files, gzipped, into `dir` (made when missing): the published columns, sorted by
// number as text as the published files are (tt1047001 < tt10470010 < tt1047002), with field lengths,
// null rates and value shapes like the real files: JSON escapes and several entries in characters, double
// quotes in titles, jobs and names, people missing from name.basics, short years, empty professions. The
// same size always gives the same files. Every title has a crew row.
void generateTitleDataset(const std::filesystem::path& dir, const TitleDatasetSize& size = {});

} // namespace vantrelle::bench
