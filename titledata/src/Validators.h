#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vantrelle::titledata {

// What identifies one version of a downloaded file to its server (RFC 9110, 8.8): its entity tag and
// its modification date, each as the server sent it, either possibly empty.
struct Validators {
    std::string etag;
    std::string lastModified;

    bool empty() const { return etag.empty() && lastModified.empty(); }
    // For If-Range, which takes a strong entity tag or a date (RFC 9110, 13.1.5); empty when neither.
    std::string rangeCondition() const;
};

// NAME.validators beside the file they describe, two lines; nothing when absent or unreadable.
std::filesystem::path validatorsFile(const std::filesystem::path& file);
std::optional<Validators> readValidators(const std::filesystem::path& file);
// Written whole under a temporary name and renamed; throws EDownloadError when it cannot be.
void writeValidators(const std::filesystem::path& file, const Validators& validators);
void removeValidators(const std::filesystem::path& file);

} // namespace vantrelle::titledata
