// Paths, cache folders and sample statistics for the catalogue benchmarks.
#include "bench/bench_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <unistd.h>

namespace bench {

QString catalogue()
{
    const QString env = qEnvironmentVariable("CATALOG_BENCH_MDB");
    if (!env.isEmpty())
        return env;
    return QStringLiteral(CATALOG_SOURCE_DIR "/../shared/fixtures/catalogue-large/vc_korva.mdb");
}

QString builtProgramFolder()
{
    const QString env = qEnvironmentVariable("CATALOG_BENCH_APP");
    if (!env.isEmpty())
        return env;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../app");
}

QString freshCacheDir()
{
    // Each first open gets a folder of its own, so no earlier copy can be found; the
    // folders live until the run ends.
    static std::vector<std::unique_ptr<QTemporaryDir>> dirs;
    dirs.push_back(std::make_unique<QTemporaryDir>());
    const QString path = dirs.back()->path();
    qputenv("CATALOG_CACHE_DIR", QFile::encodeName(path));
    return path;
}

FirstOpenCache::FirstOpenCache() : m_path(freshCacheDir()) {}

FirstOpenCache::~FirstOpenCache() { QDir(m_path).removeRecursively(); }

void settleDisk() { ::sync(); }

double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void reportSamples(benchmark::State &state, std::vector<double> samples)
{
    std::vector<SampleCost> timed;
    for (double ms : samples)
        timed.push_back({ms});
    if (samples.empty())
        state.SkipWithError("no samples were taken");
    // Only the time was measured: no faults or processor time are reported as none.
    for (const auto &[name, value] : summarize(timed))
        if (name.ends_with("_ms") && name != "cpu_ms")
            state.counters[name] = value;
    if (!samples.empty())
        state.counters["samples"] = double(samples.size());
}

void reportSamples(benchmark::State &state, const std::vector<SampleCost> &samples)
{
    if (samples.empty()) {
        state.SkipWithError("no samples were taken");
        return;
    }
    for (const auto &[name, value] : summarize(samples))
        state.counters[name] = value;
}

double residentMb()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double liveHeapMb() { return double(mallinfo2().uordblks) / (1024.0 * 1024.0); }

} // namespace bench
