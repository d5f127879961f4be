#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vantrelle::postersource {

// What one GET gave back. `status` is 0 when no answer came (no connection, a time-out, an answer
// larger than allowed).
struct GetResult {
    long status = 0;
    std::string body;
    std::optional<int> retryAfterSeconds; // a 429's Retry-After in seconds, when it gives some
};

// One GET with libcurl that never takes longer than `timeLimit` (connecting included) and never keeps
// more than `maxBytes` of body. The environment's proxy settings hold, except for loopback addresses.
// `headers` are sent as given ("Name: value"). Never throws for a failed transfer.
GetResult getLimited(const std::string& url, const std::vector<std::string>& headers,
    std::chrono::milliseconds timeLimit, std::size_t maxBytes);

} // namespace vantrelle::postersource
