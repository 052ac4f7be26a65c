// os_process.h on POSIX, with the GNU C library's heap settings where it is the C library.
#include "platform/os_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib> // defines __GLIBC__ on the GNU C library
#include <ctime>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace platform::os {

qint64 processId() { return qint64(::getpid()); }

qint64 userId() { return qint64(::geteuid()); }

bool processAlive(qint64 pid)
{
    if (pid <= 0 || pid != qint64(pid_t(pid)))
        return false;
    // Signal 0 only asks: EPERM means the process is there but not ours to signal.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

void sleepMs(int ms)
{
    struct timespec left {
        ms / 1000, long(ms % 1000) * 1000000
    };
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void setHeapMapThreshold(qint64 bytes)
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, int(bytes));
#else
    (void)bytes;
#endif
}

void setHeapTrimThreshold(qint64 bytes)
{
#ifdef __GLIBC__
    mallopt(M_TRIM_THRESHOLD, int(bytes));
#else
    (void)bytes;
#endif
}

} // namespace platform::os
