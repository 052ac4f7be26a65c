// What the catalogue benchmarks share: where the catalogue of the run and the built
// pictures are, a scratch cache for the converted copies, and the figures of a run of
// samples.
#pragma once

#include "bench/floors/sample_cost.h"

#include <QString>
#include <benchmark/benchmark.h>
#include <vector>

namespace bench {

// The catalogue every figure of the run measures (.mdb): $CATALOG_BENCH_MDB, else the
// shared large fixture. scripts/bench.sh runs the figures on the large catalogue, then
// on the huge one.
QString catalogue();
// The built program folder holding img/ and foto/: $CATALOG_BENCH_APP, else app/ of the
// build folder the benchmark runs from.
QString builtProgramFolder();

// Points the provider's copy cache at a new empty folder (first opens) and returns it.
QString freshCacheDir();

// Sends whatever earlier figures left to be written out to the disk, so that the samples
// after it time their own work, as on an idle machine. Called once before a figure's
// samples: called between them, it made them slower and their spread wider.
void settleDisk();

// The copy cache of one timed first open: a new empty folder, removed with what it holds
// when the sample is over, before the system spends time writing it out (left in place,
// the hundreds of megabytes of one sample's copy were written out during the next ones).
class FirstOpenCache {
public:
    FirstOpenCache();
    ~FirstOpenCache();
    FirstOpenCache(const FirstOpenCache &) = delete;
    FirstOpenCache &operator=(const FirstOpenCache &) = delete;

private:
    QString m_path;
};

// Milliseconds since an arbitrary start, monotonic.
double nowMs();

// Reports `samples` (milliseconds) as the counters scripts/bench.sh reads: median, p99,
// min, max and the sample count.
void reportSamples(benchmark::State &state, std::vector<double> samples);
// The same for samples measured with a CostMeter, with the medians of their page faults
// and processor time beside (minor_faults, major_faults, cpu_ms).
void reportSamples(benchmark::State &state, const std::vector<SampleCost> &samples);

// The resident set of this process in megabytes.
double residentMb();

// The bytes the allocator holds for live objects, in megabytes: what grows when memory
// is kept, apart from pages the allocator took once and the mapped files.
double liveHeapMb();

} // namespace bench
