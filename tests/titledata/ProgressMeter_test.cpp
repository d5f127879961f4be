#include "vantrelle/titledata/ProgressMeter.h"

#include <gtest/gtest.h>

using namespace vantrelle::titledata;
using namespace std::chrono_literals;

TEST(ProgressMeter, ShowsBytesRateAndTimeLeftOfTheStepAtMostFourTimesASecond)
{
    const ProgressMeter::Clock::time_point t0;
    ProgressMeter meter;
    struct Report {
        const char* step;
        std::uint64_t read;
        std::uint64_t total;
        std::chrono::milliseconds at;
        const char* shown; // nullptr: nothing
    } const reports[] = {
        // A resumed download starts at 40 MB: the rate counts only what came since.
        { "Downloading title.basics.tsv.gz", 40'000'000, 100'000'000, 0ms,
            "Downloading title.basics.tsv.gz: 40.0 of 100.0 MB" },
        { "Downloading title.basics.tsv.gz", 41'000'000, 100'000'000, 100ms, nullptr },
        { "Downloading title.basics.tsv.gz", 50'000'000, 100'000'000, 2000ms,
            "Downloading title.basics.tsv.gz: 50.0 of 100.0 MB, 5.0 MB/s, 0:10 left" },
        { "Downloading title.ratings.tsv.gz", 0, 0, 2100ms, "Downloading title.ratings.tsv.gz..." },
        { "Ranking titles", 7, 7, 2200ms, "Ranking titles..." },
    };
    for (const auto& r : reports) {
        const auto line = meter.update(r.step, r.read, r.total, t0 + r.at);
        EXPECT_EQ(line.value_or("(nothing)"), r.shown ? r.shown : "(nothing)");
    }
}
