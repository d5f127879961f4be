#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <string>

namespace vantrelle::http {

// The code of `errors` that says what a libcurl result means. `details` is libcurl's own text
// for the failure (its error buffer): a malformed chunk and a failed receive share a result,
// and only the text tells them apart.
std::uint32_t errorCodeOf(CURLcode result, const char* details);

// The message the user sees for a libcurl failure: the code's text, and for kExtendedError
// also libcurl's number and words, in the extended-error format.
std::string errorMessageOf(std::uint32_t code, CURLcode result, const char* details);

} // namespace vantrelle::http
