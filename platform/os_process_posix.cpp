// os_process.h on POSIX, with the read count from Linux's /proc and the GNU C library's
// heap settings where it is the C library.
#include "platform/os_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib> // defines __GLIBC__ on the GNU C library
#include <cstring>
#include <ctime>
#include <fcntl.h>
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

QString processIdSpace()
{
    // Linux names the pid namespace by the link /proc/self/ns/pid and the boot by boot_id.
    char space[64] = {};
    const ssize_t n = ::readlink("/proc/self/ns/pid", space, sizeof space - 1);
    if (n <= 0)
        return QString();
    char boot[64] = {};
    const int fd = ::open("/proc/sys/kernel/random/boot_id", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QString();
    const ssize_t got = ::read(fd, boot, sizeof boot - 1);
    ::close(fd);
    if (got <= 0)
        return QString();
    return QString::fromLatin1(space, n) + QLatin1Char(' ') + QString::fromLatin1(boot, got).trimmed();
}

qint64 bytesReadSoFar()
{
    // Linux keeps the count as the "rchar" line of /proc/self/io.
    const int fd = ::open("/proc/self/io", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char text[512];
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0)
        return -1;
    text[n] = 0;
    const char *at = std::strstr(text, "rchar:");
    return at ? std::strtoll(at + 6, nullptr, 10) : -1;
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
