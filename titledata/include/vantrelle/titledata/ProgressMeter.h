#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrelle::titledata {

// Turns the progress reports of a download or an import into one line for the user, at most a few
// times a second: "Downloading title.basics.tsv.gz: 12.3 of 180.0 MB, 4.1 MB/s, 0:41 left". The
// rate and the time left count from the start of the step, so that a resumed download does not
// count the bytes it already had.
class ProgressMeter {
public:
    using Clock = std::chrono::steady_clock;

    // The line to show now, or nothing when one was shown less than a quarter second ago (the first
    // report of a step is always shown).
    std::optional<std::string> update(std::string_view step, std::uint64_t bytesRead, std::uint64_t bytesTotal);
    std::optional<std::string> update(
        std::string_view step, std::uint64_t bytesRead, std::uint64_t bytesTotal, Clock::time_point now);

private:
    std::string m_step;
    Clock::time_point m_stepStarted;
    Clock::time_point m_shown;
    std::uint64_t m_bytesAtStart = 0;
};

} // namespace vantrelle::titledata
