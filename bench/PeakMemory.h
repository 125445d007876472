// The peak resident memory of a benchmark program, for the benchmarks that show that what they do
// does not grow with its size.
#pragma once

#include <fstream>
#include <string>

namespace velmora::bench {

// The peak resident memory of the process since the last resetPeak(), in megabytes.
inline double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Starts a new peak at the memory in use now, so that what a benchmark set up does not count.
inline void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace velmora::bench
