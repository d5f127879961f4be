#include "vantrelle/titledata/DatasetDownload.h"

#include "FileDownload.h"
#include "vantrelle/UserFiles.h"
#include "vantrelle/titledata/DatasetFormat.h"

#include <cstdlib>
#include <system_error>

namespace vantrelle::titledata {

std::string datasetsUrl()
{
    const char* named = std::getenv("VANTRELLE_DATASETS_URL");
    std::string url = named != nullptr && *named != '\0' ? named : std::string(kDatasetsUrl);
    const std::size_t scheme = url.starts_with("https://") ? 8 : url.starts_with("http://") ? 7 : 0;
    if (scheme == 0 || url.size() == scheme || url[scheme] == '/')
        throw Error("VANTRELLE_DATASETS_URL is not an http or https address with a host: \"" + url + "\"");
    while (url.ends_with('/'))
        url.pop_back();
    return url;
}

std::filesystem::path datasetCacheDir()
{
    return userCacheDir() / "datasets";
}

std::vector<std::string> datasetFileNames()
{
    std::vector<std::string> names;
    for (const DatasetFileFormat& format : kDatasetFiles)
        names.push_back(std::string(format.name) + ".tsv.gz");
    return names;
}

bool indexBehindDatasets(const std::filesystem::path& index, const std::filesystem::path& folder)
{
    std::error_code error;
    const auto built = std::filesystem::last_write_time(index, error);
    if (error)
        return true;
    for (const std::string& name : datasetFileNames()) {
        const auto downloaded = std::filesystem::last_write_time(folder / name, error);
        if (!error && downloaded > built)
            return true;
    }
    return false;
}

DownloadSummary downloadDatasets(const std::filesystem::path& folder, const DownloadOptions& options)
{
    const std::string base = options.baseUrl.empty() ? datasetsUrl() : options.baseUrl;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw EDownloadError("Cannot create the folder " + folder.string() + ": " + error.message());
    DownloadSummary summary;
    for (const std::string& name : datasetFileNames()) {
        if (downloadFile(name, base + "/" + name, folder / name, options) == DownloadOutcome::Downloaded)
            summary.changed.push_back(name);
        else
            summary.unchanged.push_back(name);
    }
    return summary;
}

} // namespace vantrelle::titledata
