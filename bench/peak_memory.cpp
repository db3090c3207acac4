#include "bench/peak_memory.h"

#include <sys/resource.h>

#include <fstream>
#include <string>

namespace velomir::bench {
namespace {

// A "VmRSS:   1234 kB" line of /proc/self/status.
double statusMiB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, key.size(), key) == 0) return std::stod(line.substr(key.size())) / 1024.0;
    }
    return -1;
}

}  // namespace

double residentMiB() { return statusMiB("VmRSS:"); }

double peakResidentMiB() {
    const double peak = statusMiB("VmHWM:");
    if (peak >= 0) return peak;
    rusage usage{};
    return getrusage(RUSAGE_SELF, &usage) == 0 ? static_cast<double>(usage.ru_maxrss) / 1024.0 : -1;
}

}  // namespace velomir::bench
