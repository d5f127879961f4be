#pragma once

#include <string>
#include <vector>

namespace vantrelle::bench {

// Asks the shared main to print "ratio <name> <ours/reference>" once every benchmark has
// run, from the mean real time of the two named benchmarks of the same run. A name may also
// be "<benchmark>:<counter>", for a counter that holds seconds per iteration (a reference
// that the benchmark timed itself, taking turns with ours).
void compare(const std::string& ratioName, const std::string& ours, const std::string& reference);

// Prints "ratio <name> <value>" at the end, for ratios a benchmark computes itself.
void reportRatio(const std::string& ratioName, double value);

// Prints an informational line ("info <name> <value> <unit>") at the end.
void reportInfo(const std::string& name, double value, const std::string& unit);

// The median of timings taken in turns with a reference, which a moment's load elsewhere does not move as it
// moves a mean. `values` is not empty.
double median(std::vector<double> values);

} // namespace vantrelle::bench
