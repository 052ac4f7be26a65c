// What a figure and its floor both measure of each sample: the time it took, and the page
// faults and processor time of this process and of the helper processes it started and
// waited for, so that a figure and its floor measured in one run can be compared on any
// machine.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace bench {

struct SampleCost {
    double ms = 0;          // wall time
    double cpuMs = 0;       // user and system time, every thread and waited-for child
    double minorFaults = 0; // pages mapped without reading the disk (fresh or cached)
    double majorFaults = 0; // pages read from the disk
};

// Measures from its making to each call of cost().
class CostMeter {
public:
    CostMeter();
    SampleCost cost() const;

private:
    SampleCost m_start;
};

// The figures of a run of samples under the names scripts/bench.sh reads: median_ms,
// p99_ms, min_ms, max_ms, samples, and the medians minor_faults, major_faults, cpu_ms.
// Empty for no samples.
std::map<std::string, double> summarize(std::vector<SampleCost> samples);

// The same figures as one JSON object on a line, with `name` as its "name".
std::string summaryJson(const std::string &name, const std::map<std::string, double> &figures);

} // namespace bench
