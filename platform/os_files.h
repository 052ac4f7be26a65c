// Files as the layers above need them from the operating system: what a path is and who
// owns it, open files read and written at offsets, exclusive advisory locks, atomic
// renames, second names. Nothing outside platform/ includes a system header; a Windows
// build is one more implementation of this header (os_files_posix.cpp is the POSIX one).
// Every call can be made to fail from a test (os_faults.h). Failures are reported as
// system error numbers (<cerrno> values: ENOENT for a missing path), turned into text by
// errorText().
#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace platform::os {

enum class FileKind { Regular, Folder, Link, Other };

// What the file system keeps of a file besides its contents.
struct FileStatus {
    FileKind kind = FileKind::Other;
    quint64 device = 0; // device and inode name the file, whatever path reaches it
    quint64 inode = 0;
    qint64 size = 0;               // bytes
    qint64 mtimeNs = 0;            // last change of the contents, ns since 1970
    qint64 ctimeNs = 0;            // last change of contents or of the entry (rename, mode), ns
    bool ownedByUser = false;      // belongs to the user this process runs as
    bool privateToOwner = false;   // grants nothing to group or others
    bool writableByOthers = false; // group or others may write it (make or remove entries, for a folder)
};

// The status of the file at `path`, through a final symbolic link; nullopt with the
// reason in `*error` when it cannot be examined.
std::optional<FileStatus> status(const QString &path, int *error = nullptr);
// The same of the entry itself: a symbolic link is reported as FileKind::Link.
std::optional<FileStatus> linkStatus(const QString &path, int *error = nullptr);

// Makes the folder `path` (its parent must exist), readable by its owner only. EEXIST
// when something stands there already.
bool makeFolder(const QString &path, int *error = nullptr);
// Makes a new folder of a name nobody has used, `prefix` followed by six characters of the
// system's choice, readable by its owner only, and returns its path; empty with the reason
// in `*error` when it cannot be made. Safe in a folder others may write (the system's
// temporary folder): nobody can have made it before, nor put a link at its place.
QString makeTemporaryFolder(const QString &prefix, int *error = nullptr);
// Removes the folder `path` and everything under it; a symbolic link found inside is
// removed itself, what it points to is left alone. Calls nothing of Qt's, so it can run
// while the program ends. False with the first reason in `*error` when something stays.
bool removeTree(const QString &path, int *error = nullptr);
// Whether this process may make and remove entries of the folder `path` (or write the
// file `path`); false with the reason in `*error`.
bool writable(const QString &path, int *error = nullptr);
// Makes the file or folder `path` its owner's alone: mode 0600, or 0700 for a folder.
bool makePrivate(const QString &path, int *error = nullptr);
// Renames `from` to `to` in one step, replacing a file at `to`: a reader sees the old
// file or the new one, never a part. Both must be on one file system.
bool renameFile(const QString &from, const QString &to, int *error = nullptr);
// Gives the file `from` the second name `to` (a hard link), which stays when `from` is
// removed; EEXIST when something stands at `to`. Both must be on one file system.
bool linkFile(const QString &from, const QString &to, int *error = nullptr);

// The system's text for an error number, for messages.
QString errorText(int error);

enum class Access { Read, Write, ReadWrite };
enum OpenOption : unsigned {
    NoOptions = 0,
    CreatePrivate = 1, // made when missing, readable and writable by its owner only
    NoFollow = 2,      // a symbolic link at `path` is refused (ELOOP), never followed
};

// An open file, closed when destroyed; not inherited by programs this one starts.
class File {
public:
    File() = default;
    // Opens `path`; isOpen() and error() tell how it went. `options`: OpenOption bits.
    File(const QString &path, Access access, unsigned options = NoOptions);
    ~File();
    File(File &&other) noexcept;
    File &operator=(File &&other) noexcept;
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    bool isOpen() const { return m_handle >= 0; }
    // The error of the open or of the last call that failed; 0 when none has.
    int error() const { return m_error; }

    std::optional<FileStatus> status();
    // Reads up to `size` bytes at `offset` and returns how many were read: fewer only at
    // the end of the file; -1 on failure (see error()).
    qint64 readAt(qint64 offset, void *data, qint64 size);
    // Writes all `size` bytes at `offset`, going on after interrupted and partial writes;
    // false on failure, when a part may have been written.
    bool writeAt(qint64 offset, const void *data, qint64 size);
    // Takes an exclusive advisory lock without waiting: false while another open of the
    // file (in this process or another) holds one, or on failure. Closing releases it.
    bool tryLock();
    void unlock();
    void close();

private:
    QString m_path;
    qintptr m_handle = -1;
    int m_error = 0;
};

// An exclusive advisory lock on the file `path`, held from a successful tryLock() until
// unlock() or destruction. The file is made when missing, readable and writable by its
// owner only, and never opened through a symbolic link.
class FileLock {
public:
    explicit FileLock(const QString &path);
    ~FileLock() { unlock(); }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Why the lock file could not be opened; 0 when it is open.
    int error() const { return m_file.isOpen() ? 0 : m_file.error(); }
    bool tryLock();
    void unlock();
    bool isLocked() const { return m_locked; }

private:
    File m_file;
    bool m_locked = false;
};

} // namespace platform::os
