#pragma once

// Builds a title index from the five public dataset files (see DatasetFormat.h) found in one folder.
// Every file is required; the rows of each may come in any order. A row that cannot be read is skipped
// and counted, unless more than 1% of a file's rows are such (judged as the file is read once it has passed
// a few thousand rows, else at its end): that file is damaged or not the dataset it is named after, and the
// import fails. A title's cast rows beyond the first 1,000 are such rows. A file that fails so, or that is
// truncated or corrupt, loses the validators a download kept beside it, so that the next download brings
// it whole. The index is written beside its final place under a temporary name and
// renamed over it only when complete: a failure leaves the file already there untouched and removes the partial one.
// Memory stays bounded whatever the size of the input.
//
// Threads: an import runs on the thread that calls it (the "Title Data" dialog's worker, the tool's
// main thread) and inflates each file on a thread of its own.

#include "vantrelle/Error.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titledata {

// A failed import: a missing, truncated, corrupt or malformed dataset file (the message names the file
// and the line), or an index file that cannot be written.
class EImportError : public vantrelle::Error {
public:
    using vantrelle::Error::Error;
};

// The credit line that goes with the imported data wherever the user meets it.
inline constexpr std::string_view kCreditLine
    = "Information courtesy of IMDb (https://www.imdb.com). Used with permission.";

struct ImportProgress {
    std::string_view step; // e.g. "Reading title.basics.tsv.gz", "Ranking titles"
    std::uint64_t bytesRead = 0; // of the dataset files, as stored (compressed)
    std::uint64_t bytesTotal = 0;
};

struct ImportOptions {
    bool includeAdult = false;
    // Called now and then from the importing thread; an exception thrown from it ends the import as a
    // failure would (nothing is replaced).
    std::function<void(const ImportProgress&)> progress;
};

// The rows of one file that the import skipped.
struct SkippedRows {
    struct Row {
        std::uint64_t line = 0;
        std::string what;
    };
    std::string file; // its name, e.g. "title.principals.tsv.gz"
    std::uint64_t count = 0;
    std::vector<Row> first; // the first few of them
};

inline constexpr std::size_t kSkippedRowsNamed = 3;

// "skipped 1 row of title.principals.tsv.gz: line 8128, 5 fields where 6 are expected"
std::string skippedRowsText(const SkippedRows& skipped);

struct ImportSummary {
    std::uint64_t titles = 0;
    std::uint64_t people = 0;
    std::vector<SkippedRows> skipped; // the files with skipped rows, in the order they were read
};

ImportSummary importTitles(
    const std::filesystem::path& datasetDir, const std::filesystem::path& indexFile, const ImportOptions& options = {});

} // namespace vantrelle::titledata
