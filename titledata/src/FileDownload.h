#pragma once

#include "vantrelle/titledata/DatasetDownload.h"

#include <filesystem>
#include <string>

namespace vantrelle::titledata {

enum class DownloadOutcome { Downloaded, Unchanged };

// One file from `url` into `file` (through FILE.part), resumed or conditional as DatasetDownload.h says.
// Failures throw EDownloadError naming `name`; an exception from the progress callback comes out as it is.
DownloadOutcome downloadFile(
    const std::string& name, const std::string& url, const std::filesystem::path& file, const DownloadOptions& options);

} // namespace vantrelle::titledata
