// The armed failures of the operating-system seam: per operation, how many calls go
// through first and how many then fail, with which error number.
#include "platform/os_faults_p.h"

#include <array>
#include <atomic>
#include <mutex>

namespace platform::os {

namespace {

struct Armed {
    int error = 0;
    int skip = 0;
    int count = 0;
    QString onPath;
};

constexpr size_t kOps = size_t(Op::Link) + 1;

std::mutex g_mutex;
std::array<Armed, kOps> g_armed;
std::atomic<int> g_armedOps{0}; // operations with failures to come: the fast path's test

} // namespace

void FaultInjection::failNext(Op op, int error, int count, int skip, const QString &onPath)
{
    std::lock_guard lock(g_mutex);
    Armed &a = g_armed[size_t(op)];
    const bool was = a.count > 0;
    a = {error, skip, count, onPath};
    g_armedOps += int(a.count > 0) - int(was);
}

void FaultInjection::clear()
{
    std::lock_guard lock(g_mutex);
    g_armed.fill({});
    g_armedOps = 0;
}

int FaultInjection::pending(Op op)
{
    std::lock_guard lock(g_mutex);
    return g_armed[size_t(op)].count;
}

bool detail::injectedFault(Op op, const QString &path, int &error)
{
    if (g_armedOps.load(std::memory_order_relaxed) == 0)
        return false;
    std::lock_guard lock(g_mutex);
    Armed &a = g_armed[size_t(op)];
    if (a.count <= 0 || !path.endsWith(a.onPath))
        return false;
    if (a.skip > 0) {
        --a.skip;
        return false;
    }
    error = a.error;
    if (--a.count == 0)
        --g_armedOps;
    return true;
}

} // namespace platform::os
