// bench-fresh-pages: what this machine charges for fresh memory, the yardstick for reading
// the page faults of the other figures. A loop maps 64 MiB, touches one byte of each
// page, which the kernel then finds, clears and maps, and unmaps it; once in ordinary
// 4 KiB pages and once asking for 2 MiB huge pages (as the copy helpers' heap does). On a
// virtual machine a fault also costs the hypervisor's work, which is where machines differ
// most. Prints one JSON line: microseconds per fault and per MiB made fresh, each way, and
// the faults the huge-page loop took (as many as the 4 KiB loop when the system gives it
// no huge pages).
#include "bench/floors/sample_cost.h"

#include <cstdio>
#include <sys/mman.h>

namespace {

constexpr size_t kBytes = size_t(64) << 20;
constexpr int kRounds = 8;

// The cost of making `kBytes` fresh, `kRounds` times over.
bench::SampleCost touchFresh(bool huge)
{
    const bench::CostMeter meter;
    for (int round = 0; round < kRounds; ++round) {
        void *p = mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            return {};
        madvise(p, kBytes, huge ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
        auto *bytes = static_cast<volatile char *>(p);
        for (size_t at = 0; at < kBytes; at += 4096)
            bytes[at] = 1;
        munmap(p, kBytes);
    }
    return meter.cost();
}

} // namespace

int main()
{
    touchFresh(false); // the first round also pays for the program's own start
    const bench::SampleCost small = touchFresh(false), huge = touchFresh(true);
    const double mib = double(kBytes >> 20) * kRounds;
    if (small.minorFaults <= 0 || huge.minorFaults <= 0) {
        std::fputs("bench-fresh-pages: no fresh page was counted\n", stderr);
        return 1;
    }
    std::printf("{\"name\": \"fresh_pages\", \"us_per_fault\": %.4g, \"us_per_mib\": %.4g, "
                "\"huge_us_per_fault\": %.4g, \"huge_us_per_mib\": %.4g, \"huge_faults_per_mib\": %.4g}\n",
                small.ms * 1e3 / small.minorFaults, small.ms * 1e3 / mib, huge.ms * 1e3 / huge.minorFaults,
                huge.ms * 1e3 / mib, huge.minorFaults / mib);
    return 0;
}
