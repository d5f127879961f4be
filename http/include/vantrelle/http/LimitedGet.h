#pragma once

// A plain GET whose answer is kept in memory, for the modules that ask a web API: no events, no
// redirects, a deadline and a bound on the body.
// Threads: a GET runs wholly on the thread that calls it (the poster source's: the title site's answering
// threads, the window's user-interface thread for a key check); any number may run at once.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vantrelle::http {

struct LimitedGet {
    std::vector<std::string> headers; // sent as given ("Name: value")
    std::chrono::steady_clock::time_point deadline; // the whole GET, connecting included, ends by then
    std::size_t maxBytes = 0; // the most body kept; an answer with more counts as none
};

// What one GET gave back. `status` is 0 when no answer came (no connection, a time-out, an answer
// larger than allowed).
struct LimitedGetResult {
    long status = 0;
    std::string body;
    std::optional<int> retryAfterSeconds; // the answer's Retry-After in seconds, when it gives some
};

// One GET of an http or https `url` that ends by the deadline and keeps at most maxBytes of body. The
// environment's proxy settings hold, except for loopback addresses. Never throws for a failed transfer.
LimitedGetResult getLimited(const std::string& url, const LimitedGet& request);

} // namespace vantrelle::http
