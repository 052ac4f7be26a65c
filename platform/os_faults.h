// For tests only: failures injected at the operating-system seam (os_files.h,
// os_process.h), so the failure paths of the layers above run on real files.
#pragma once

#include <QString>

namespace platform::os {

// The operations a test can make fail. Each names one kind of system call.
enum class Op {
    Status,      // status(), linkStatus(), File::status()
    OwnerCheck,  // an injected failure makes the next status say "another user's"
    MakeFolder,  // makeFolder()
    MakePrivate, // makePrivate()
    Open,        // File's and FileLock's open
    Read,        // File::readAt()
    Write,       // File::writeAt(); an EINTR is retried as a real one would be
    Lock,        // File::tryLock(), FileLock::tryLock()
    Rename,      // renameFile()
    TempFolder,  // makeTemporaryFolder()
    Writable,    // writable()
    Link,        // linkFile(); for a path, its source
};

// Test hook: the next `count` calls of `op`, after the first `skip` ones, fail with the
// system error number `error` (EACCES, ENOSPC, ...), as if the system had refused them.
// With `onPath`, only calls on a path ending in it count (for a File's calls, the path it
// was opened by; for a rename, its source), so a test can aim at one file of a running
// program. Other calls go through. Safe to arm from any thread; production code never
// arms it, and an unarmed seam costs one atomic load per call.
struct FaultInjection {
    static void failNext(Op op, int error, int count = 1, int skip = 0, const QString &onPath = QString());
    // Disarms every operation (a test's tear-down calls it).
    static void clear();
    // How many injected failures of `op` are still to come.
    static int pending(Op op);
};

} // namespace platform::os
