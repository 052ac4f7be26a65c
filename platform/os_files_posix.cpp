// os_files.h on POSIX: stat, open with O_CLOEXEC, pread/pwrite, flock, rename, link, mkdtemp,
// and a removal of a tree by descriptors (openat, unlinkat) that never follows a link. Locks are
// flock()'s, held by the open file description: two opens of one file in one process
// exclude each other as two processes do, which is what the exchange lock relies on.
#include "platform/os_faults_p.h"
#include "platform/os_files.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::os {

namespace {

using detail::injectedFault;

// Fails the call with `*error` set when the seam is armed for `op` on `path`.
bool refused(Op op, const QString &path, int *error)
{
    int e = 0;
    if (!injectedFault(op, path, e))
        return false;
    errno = e;
    if (error)
        *error = e;
    return true;
}

bool failed(int *error)
{
    if (error)
        *error = errno;
    return false;
}

qint64 nanoseconds(const struct timespec &t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; }

FileStatus fromStat(const struct stat &st, const QString &path)
{
    FileStatus s;
    s.kind = S_ISREG(st.st_mode)   ? FileKind::Regular
             : S_ISDIR(st.st_mode) ? FileKind::Folder
             : S_ISLNK(st.st_mode) ? FileKind::Link
                                   : FileKind::Other;
    s.device = quint64(st.st_dev);
    s.inode = quint64(st.st_ino);
    s.size = qint64(st.st_size);
    s.mtimeNs = nanoseconds(st.st_mtim);
    s.ctimeNs = nanoseconds(st.st_ctim);
    int ignored = 0;
    s.ownedByUser = st.st_uid == ::geteuid() && !injectedFault(Op::OwnerCheck, path, ignored);
    s.privateToOwner = (st.st_mode & 077) == 0;
    s.writableByOthers = (st.st_mode & 022) != 0;
    return s;
}

std::optional<FileStatus> statusBy(int (*call)(const char *, struct stat *), const QString &path, int *error)
{
    if (refused(Op::Status, path, error))
        return std::nullopt;
    struct stat st {};
    if (call(QFile::encodeName(path).constData(), &st) != 0) {
        failed(error);
        return std::nullopt;
    }
    return fromStat(st, path);
}

} // namespace

std::optional<FileStatus> status(const QString &path, int *error) { return statusBy(::stat, path, error); }

std::optional<FileStatus> linkStatus(const QString &path, int *error) { return statusBy(::lstat, path, error); }

bool makeFolder(const QString &path, int *error)
{
    if (refused(Op::MakeFolder, path, error))
        return false;
    return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || failed(error);
}

QString makeTemporaryFolder(const QString &prefix, int *error)
{
    if (refused(Op::TempFolder, prefix, error))
        return QString();
    QByteArray name = QFile::encodeName(prefix) + "XXXXXX";
    if (!::mkdtemp(name.data())) {
        failed(error);
        return QString();
    }
    return QFile::decodeName(name);
}

namespace {

// Empties the folder open as `fd` and closes it; true when nothing is left in it.
bool emptyFolder(int fd, int *error)
{
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return failed(error);
    }
    bool ok = true;
    while (const struct dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (::unlinkat(fd, name, 0) == 0)
            continue;
        if (errno != EISDIR && errno != EPERM) {
            ok = failed(error);
            continue;
        }
        // A folder: emptied first. Never followed when it is a link (those unlink above).
        const int sub = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0)
            ok = failed(error);
        else if (!emptyFolder(sub, error))
            ok = false;
        else if (::unlinkat(fd, name, AT_REMOVEDIR) != 0)
            ok = failed(error);
    }
    ::closedir(dir);
    return ok;
}

} // namespace

bool removeTree(const QString &path, int *error)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return failed(error);
    const bool emptied = emptyFolder(fd, error);
    return (::rmdir(name.constData()) == 0 || failed(error)) && emptied;
}

bool writable(const QString &path, int *error)
{
    if (refused(Op::Writable, path, error))
        return false;
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0 || failed(error);
}

bool makePrivate(const QString &path, int *error)
{
    if (refused(Op::MakePrivate, path, error))
        return false;
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return failed(error);
    return ::chmod(name.constData(), S_ISDIR(st.st_mode) ? 0700 : 0600) == 0 || failed(error);
}

bool renameFile(const QString &from, const QString &to, int *error)
{
    if (refused(Op::Rename, from, error))
        return false;
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 || failed(error);
}

bool linkFile(const QString &from, const QString &to, int *error)
{
    if (refused(Op::Link, from, error))
        return false;
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 || failed(error);
}

QString errorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

File::File(const QString &path, Access access, unsigned options) : m_path(path)
{
    if (refused(Op::Open, m_path, &m_error))
        return;
    int flags = O_CLOEXEC;
    flags |= access == Access::Read ? O_RDONLY : access == Access::Write ? O_WRONLY : O_RDWR;
    if (options & CreatePrivate)
        flags |= O_CREAT;
    if (options & NoFollow)
        flags |= O_NOFOLLOW;
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do
        fd = ::open(name.constData(), flags, 0600);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        m_error = errno;
    m_handle = fd;
}

File::~File() { close(); }

File::File(File &&other) noexcept : m_path(std::move(other.m_path)), m_handle(other.m_handle), m_error(other.m_error)
{
    other.m_handle = -1;
}

File &File::operator=(File &&other) noexcept
{
    if (this != &other) {
        close();
        m_path = std::move(other.m_path);
        m_handle = other.m_handle;
        m_error = other.m_error;
        other.m_handle = -1;
    }
    return *this;
}

void File::close()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
    m_handle = -1;
}

std::optional<FileStatus> File::status()
{
    if (refused(Op::Status, m_path, &m_error))
        return std::nullopt;
    struct stat st {};
    if (::fstat(int(m_handle), &st) != 0) {
        m_error = errno;
        return std::nullopt;
    }
    return fromStat(st, m_path);
}

qint64 File::readAt(qint64 offset, void *data, qint64 size)
{
    auto *to = static_cast<char *>(data);
    qint64 done = 0;
    while (done < size) {
        ssize_t r;
        if (refused(Op::Read, m_path, &m_error))
            r = -1;
        else
            r = ::pread(int(m_handle), to + done, size_t(size - done), off_t(offset + done));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            m_error = errno;
            return -1;
        }
        if (r == 0)
            break; // the end of the file
        done += r;
    }
    return done;
}

bool File::writeAt(qint64 offset, const void *data, qint64 size)
{
    const auto *from = static_cast<const char *>(data);
    qint64 done = 0;
    while (done < size) {
        ssize_t w;
        if (refused(Op::Write, m_path, &m_error))
            w = -1;
        else
            w = ::pwrite(int(m_handle), from + done, size_t(size - done), off_t(offset + done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            m_error = w < 0 ? errno : EIO;
            return false;
        }
        done += w;
    }
    return true;
}

bool File::tryLock()
{
    if (refused(Op::Lock, m_path, &m_error))
        return false;
    int rc;
    do
        rc = ::flock(int(m_handle), LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0)
        m_error = errno;
    return rc == 0;
}

void File::unlock()
{
    if (m_handle >= 0)
        ::flock(int(m_handle), LOCK_UN);
}

FileLock::FileLock(const QString &path) : m_file(path, Access::ReadWrite, CreatePrivate | NoFollow) {}

bool FileLock::tryLock()
{
    if (!m_locked && m_file.isOpen())
        m_locked = m_file.tryLock();
    return m_locked;
}

void FileLock::unlock()
{
    if (m_locked)
        m_file.unlock();
    m_locked = false;
}

} // namespace platform::os
