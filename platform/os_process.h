// The running process as the layers above need it from the operating system: its id,
// whether another process still runs, what this one has read, sleeping, and how the C
// library's heap hands memory back. One implementation per system (os_process_posix.cpp).
#pragma once

#include <QString>
#include <QtGlobal>

namespace platform::os {

qint64 processId();
// The user this process runs as (its effective user), as a number.
qint64 userId();

// Whether a process of id `pid` is running on this machine (one of another user's
// counts); false for an id no process has.
bool processAlive(qint64 pid);

// Names the set of process ids this process sees and this boot of the machine, so that a
// process id written down is only ever compared with processAlive() where it means the
// same process (another container sharing /tmp numbers its processes apart). Empty where
// the system does not tell.
QString processIdSpace();

// The bytes this process has read through the system's read calls so far, files and pipes
// alike (mapped files not counted); -1 where the system does not tell.
qint64 bytesReadSoFar();

// Blocks the calling thread for `ms` milliseconds; dispatches no events.
void sleepMs(int ms);

// Blocks of at least `bytes` get a mapping of their own, given back to the system when
// freed, and the threshold stays fixed instead of rising after each such free. Does
// nothing where the C library has no such setting.
void setHeapMapThreshold(qint64 bytes);
// Free room at the top of the heap is given back only once it passes `bytes`. Does
// nothing where the C library has no such setting.
void setHeapTrimThreshold(qint64 bytes);

} // namespace platform::os
