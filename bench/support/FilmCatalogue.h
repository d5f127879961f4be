#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace vantrelle::bench {

// Creates the catalogue `file` with `films` films of random twelve-letter titles (mixed case), the columns a
// film's page fills, and `cover` as each one's cover, its last four bytes made the film's number so that no
// two covers are alike. One transaction.
void makeFilmCatalogue(const std::filesystem::path& file, int films, std::span<const std::uint8_t> cover);

} // namespace vantrelle::bench
