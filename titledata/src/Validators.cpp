#include "Validators.h"

#include "vantrelle/OwnFiles.h"
#include "vantrelle/titledata/DatasetDownload.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace vantrelle::titledata {

namespace {

// Two short lines; anything longer is not a validators file.
constexpr std::size_t kMaxValidatorsFileBytes = 4096;

} // namespace

std::filesystem::path validatorsFile(const std::filesystem::path& file)
{
    std::filesystem::path sidecar = file;
    sidecar += ".validators";
    return sidecar;
}

std::optional<Validators> readValidators(const std::filesystem::path& file)
{
    const auto text = readOwnFile(validatorsFile(file), kMaxValidatorsFileBytes);
    return text ? Validators::fromText(*text) : std::nullopt;
}

void writeValidators(const std::filesystem::path& file, const Validators& validators)
{
    const std::filesystem::path target = validatorsFile(file);
    if (!writeOwnFile(target, validators.text()))
        throw EDownloadError("Cannot write " + target.string() + ": " + std::strerror(errno));
}

void removeValidators(const std::filesystem::path& file)
{
    std::error_code ignored;
    std::filesystem::remove(validatorsFile(file), ignored);
}

} // namespace vantrelle::titledata
