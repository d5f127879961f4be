#pragma once

// The covers of a batch: each film's poster from the poster source, else the file's own picture, reduced as a
// cover from a file is; a few at a time, on threads of their own.

#include "vantrelle/collections/FilmImport.h"
#include "vantrelle/store/StoredRow.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace vantrelle::collections {

// What one film's cover is made of.
struct CoverJob {
    std::optional<std::int64_t> number; // asked of the poster source when there is one
    const CoverPicture* own = nullptr; // the file's picture; may be empty
    store::MovieRecord* row = nullptr; // Cover (and an empty Tagline) are set in it
};

inline constexpr std::size_t kCoversAtOnce = 4;

// Makes the covers of `jobs`, at most kCoversAtOnce at a time, telling `done` (on the calling thread) how many
// are made; stops early when `cancel` is set. A cover that cannot be made leaves the row's Cover null (the
// placeholder) and is counted in the result, which is how many failed.
std::size_t makeCovers(std::vector<CoverJob>& jobs, const ExtrasSource& extras, const std::atomic<bool>* cancel,
    const std::function<void(std::size_t done)>& done);

} // namespace vantrelle::collections
