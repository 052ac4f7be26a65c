// The exchange folder under TEMP and the lock that keeps two loads (two copies of the
// program on one computer, or a load started from inside another) off the same file.
#pragma once

#include <QString>
#include <memory>

namespace platform::os {
class FileLock;
}

// The exchange folder: TempDir + "kelpStone", unless what stands there belongs to another
// user (who made it first in a TEMP shared by all users, as /tmp is): then the kelpStone
// of the user's own temporary folder (platform/own_folders.h). No separator at the end.
QString ExchangeFolder();

// Makes the folder when missing, readable by its owner only, and checks that it is a real
// folder of ours. Raises "Cannot Create file <file>" when it is a symbolic link, belongs
// to another user, or cannot be made: the export could otherwise be made to write
// through someone else's link. A file at `file` that is a symbolic link is refused too.
void PrepareExchangeFolder(const QString &folder, const QString &file);

// Holds an exclusive lock on <file>.lock for the whole export-import-delete sequence.
// Waits up to `timeoutMs` for another program's load to finish, then raises. A second
// load inside the same program while one is running is refused at once.
class ExchangeLock {
public:
    ExchangeLock(const QString &file, int timeoutMs);
    ~ExchangeLock();
    ExchangeLock(const ExchangeLock &) = delete;
    ExchangeLock &operator=(const ExchangeLock &) = delete;

private:
    std::unique_ptr<platform::os::FileLock> m_lock;
};
