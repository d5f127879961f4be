#include "Validators.h"

#include "vantrelle/titledata/DatasetDownload.h"

#include <fstream>
#include <system_error>

namespace vantrelle::titledata {

std::filesystem::path validatorsFile(const std::filesystem::path& file)
{
    std::filesystem::path sidecar = file;
    sidecar += ".validators";
    return sidecar;
}

std::optional<Validators> readValidators(const std::filesystem::path& file)
{
    std::ifstream in(validatorsFile(file));
    Validators validators;
    if (!std::getline(in, validators.etag) || !std::getline(in, validators.lastModified) || validators.empty())
        return std::nullopt;
    return validators;
}

void writeValidators(const std::filesystem::path& file, const Validators& validators)
{
    const std::filesystem::path target = validatorsFile(file);
    std::filesystem::path temporary = target;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << validators.etag << "\n" << validators.lastModified << "\n";
        out.close();
        if (!out)
            throw EDownloadError("Cannot write " + temporary.string());
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error)
        throw EDownloadError("Cannot write " + target.string() + ": " + error.message());
}

void removeValidators(const std::filesystem::path& file)
{
    std::error_code ignored;
    std::filesystem::remove(validatorsFile(file), ignored);
}

} // namespace vantrelle::titledata
