#pragma once

#include <string>
#include <vector>

namespace vantrelle::bench {

// Runs a program (found on PATH) to completion; true when it exits with 0. With `quiet` its standard
// output goes to /dev/null.
bool runProcess(std::vector<std::string> arguments, bool quiet = false);

} // namespace vantrelle::bench
