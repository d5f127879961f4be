#pragma once

// Downloads the five public dataset files (DatasetFormat.h, as .tsv.gz) into a folder over HTTP(S), on the
// calling thread. A file appears under its name only when it is whole: it is written beside it as NAME.part
// and renamed at the end. A transfer that was cut resumes where it stopped (Range, guarded by If-Range with
// the validator of the part). A file that is there is asked for only conditionally (If-None-Match or
// If-Modified-Since); the server's 304 leaves it as it is. The validators of each file are kept beside it
// in NAME.validators.
//
// A server that misbehaves costs at most a download: a body longer than its server announced, or longer
// than maxUnannouncedBytes when it announced nothing, and a part the disk cannot hold are removed; a
// continuation whose Content-Range or version is not the one asked for makes the file come whole; a file
// not known to be whole never gets validators; a redirect never leads from https to http. Files are never
// written through a link planted under their names.
//
// Limitations: only http and https, also for redirects; a part whose server gave no validator cannot be
// resumed safely and is downloaded again from its start.
//
// Threads: a download runs wholly on the thread that calls it (the "Title Data" dialog's worker, the
// tool's main thread).

#include "vantrelle/Error.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titledata {

// A download that failed: the message names the file and the reason.
class EDownloadError : public vantrelle::Error {
public:
    using vantrelle::Error::Error;
};

// Where the datasets are published.
inline constexpr std::string_view kDatasetsUrl = "https://datasets.imdbws.com";

// The datasets' base address: VANTRELLE_DATASETS_URL when it is set and not empty (a scheme, a host and an
// optional path), else kDatasetsUrl; without a closing "/". Throws vantrelle::Error when the variable is
// not an http or https address.
std::string datasetsUrl();

// The folder the downloads go to by default: "datasets" in the user's cache folder.
std::filesystem::path datasetCacheDir();

// The file names, in the import's order: "title.basics.tsv.gz", ...
std::vector<std::string> datasetFileNames();

struct DownloadProgress {
    std::string_view step; // "Downloading title.basics.tsv.gz"
    std::uint64_t bytesRead = 0; // of this file, with a resumed part
    std::uint64_t bytesTotal = 0; // of this file; 0 while it is not known
};

// The largest file taken from a server that does not announce its length: far above the largest published
// file (about 1 GB), short of filling a disk with an endless answer.
inline constexpr std::uint64_t kMaxUnannouncedFileBytes = std::uint64_t { 8 } << 30;

struct DownloadOptions {
    std::string baseUrl; // empty: datasetsUrl()
    std::uint64_t maxUnannouncedBytes = kMaxUnannouncedFileBytes;
    // Called now and then from the downloading thread, also while no data comes; an exception thrown
    // from it ends the download (the part stays for a later resume) and comes out of downloadDatasets.
    std::function<void(const DownloadProgress&)> progress;
};

struct DownloadSummary {
    std::vector<std::string> changed; // downloaded whole, new or changed
    std::vector<std::string> unchanged; // the server answered that they have not changed
};

// Whether the index misses data that the dataset files in `folder` hold: it is not there, or older than one
// of them (also after an import that failed or was cancelled, when the next download finds every file
// unchanged).
bool indexBehindDatasets(const std::filesystem::path& index, const std::filesystem::path& folder);

// Downloads every file, in order; the first failure ends it with EDownloadError (the files before it are
// complete, the failed one stays as it was).
DownloadSummary downloadDatasets(const std::filesystem::path& folder, const DownloadOptions& options = {});

} // namespace vantrelle::titledata
