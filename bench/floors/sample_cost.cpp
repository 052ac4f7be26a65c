// Sample costs from the clock and getrusage, and their medians.
#include "bench/floors/sample_cost.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace bench {

namespace {

double milliseconds(const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; }

// The process's own use (all its threads) plus that of the children it has waited for:
// the helper processes of a first open end before the open does, so their whole use
// falls inside the sample.
SampleCost usedSoFar()
{
    SampleCost c;
    c.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        getrusage(who, &u);
        c.cpuMs += milliseconds(u.ru_utime) + milliseconds(u.ru_stime);
        c.minorFaults += double(u.ru_minflt);
        c.majorFaults += double(u.ru_majflt);
    }
    return c;
}

double at(std::vector<double> &values, double q)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(q * double(values.size() - 1) + 0.5))];
}

} // namespace

CostMeter::CostMeter() : m_start(usedSoFar()) {}

SampleCost CostMeter::cost() const
{
    const SampleCost now = usedSoFar();
    return {now.ms - m_start.ms, now.cpuMs - m_start.cpuMs, now.minorFaults - m_start.minorFaults,
            now.majorFaults - m_start.majorFaults};
}

std::map<std::string, double> summarize(std::vector<SampleCost> samples)
{
    if (samples.empty())
        return {};
    auto column = [&](double SampleCost::*field) {
        std::vector<double> v;
        for (const SampleCost &s : samples)
            v.push_back(s.*field);
        return v;
    };
    std::vector<double> ms = column(&SampleCost::ms), cpu = column(&SampleCost::cpuMs),
                        minor = column(&SampleCost::minorFaults), major = column(&SampleCost::majorFaults);
    return {{"median_ms", at(ms, 0.5)},
            {"p99_ms", at(ms, 0.99)},
            {"min_ms", ms.front()},
            {"max_ms", ms.back()},
            {"samples", double(samples.size())},
            {"cpu_ms", at(cpu, 0.5)},
            {"minor_faults", at(minor, 0.5)},
            {"major_faults", at(major, 0.5)}};
}

std::string summaryJson(const std::string &name, const std::map<std::string, double> &figures)
{
    std::string json = "{\"name\": \"" + name + "\"";
    for (const auto &[key, value] : figures) {
        char number[64];
        std::snprintf(number, sizeof number, "%.6g", value);
        json += ", \"" + key + "\": " + number;
    }
    return json + "}";
}

} // namespace bench
