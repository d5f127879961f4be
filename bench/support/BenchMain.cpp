#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <unistd.h>
#include <vector>

namespace vantrelle::bench {

namespace {

struct Comparison {
    std::string name, ours, reference;
};

std::vector<Comparison>& comparisons()
{
    static std::vector<Comparison> all;
    return all;
}

std::vector<std::string>& finalLines()
{
    static std::vector<std::string> all;
    return all;
}

// Records each benchmark's real time per iteration (in its time unit's seconds) beside the usual console output.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that piped output has the ratio lines at the start of a line.
    RecordingReporter()
        : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular)
    {
    }

    std::map<std::string, double> secondsPerIteration;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations <= 0)
                continue;
            secondsPerIteration[run.benchmark_name()]
                = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            // A counter holds seconds per iteration that the benchmark measured itself.
            for (const auto& [name, counter] : run.counters)
                secondsPerIteration[run.benchmark_name() + ":" + name] = counter.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// A benchmark that Google Benchmark runs several times (to find its iteration count) reports a line each
// time: the last run's, the longest, stands in the place of the first.
void addFinalLine(const std::string& start, const std::string& line)
{
    for (std::string& earlier : finalLines())
        if (earlier.starts_with(start)) {
            earlier = line;
            return;
        }
    finalLines().push_back(line);
}

std::string format(const char* pattern, const std::string& name, double value)
{
    char line[256];
    std::snprintf(line, sizeof line, pattern, name.c_str(), value);
    return line;
}

} // namespace

void compare(const std::string& ratioName, const std::string& ours, const std::string& reference)
{
    comparisons().push_back({ ratioName, ours, reference });
}

void reportRatio(const std::string& ratioName, double value)
{
    addFinalLine("ratio " + ratioName + " ", format("ratio %s %.3f", ratioName, value));
}

void reportInfo(const std::string& name, double value, const std::string& unit)
{
    addFinalLine("info " + name + " ", format("info %s %.3f", name, value) + " " + unit);
}

double median(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace vantrelle::bench

int main(int argc, char** argv)
{
    using namespace vantrelle::bench;
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const auto& line : finalLines())
        std::printf("%s\n", line.c_str());
    for (const auto& c : comparisons()) {
        const auto ours = reporter.secondsPerIteration.find(c.ours);
        const auto reference = reporter.secondsPerIteration.find(c.reference);
        if (ours == reporter.secondsPerIteration.end() || reference == reporter.secondsPerIteration.end()) {
            std::printf("ratio %s missing\n", c.name.c_str());
            continue;
        }
        std::printf("ratio %s %.3f\n", c.name.c_str(), ours->second / reference->second);
    }
    return 0;
}
