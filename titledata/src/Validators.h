#pragma once

#include "vantrelle/http/FileGet.h"

#include <filesystem>
#include <optional>
#include <string>

namespace vantrelle::titledata {

// The validators of a downloaded file, as its server sent them.
using Validators = http::Validators;

// NAME.validators beside the file they describe, two lines; nothing when absent or unreadable.
std::filesystem::path validatorsFile(const std::filesystem::path& file);
std::optional<Validators> readValidators(const std::filesystem::path& file);
// Written whole under a temporary name and renamed; throws EDownloadError when it cannot be.
void writeValidators(const std::filesystem::path& file, const Validators& validators);
void removeValidators(const std::filesystem::path& file);

} // namespace vantrelle::titledata
