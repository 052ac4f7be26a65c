// POSIX checks and locks for the exchange folder. Once the folder is a real folder of
// ours with mode 0700, nobody else can create entries in it, so the checks made before
// the export cannot be undone by another user between the check and the write.
#include "data/exchange_folder.h"
#include "data/data_error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool g_loadInProgress = false;

[[noreturn]] void cannotCreate(const QString &file, const QString &why, DataErrc code = DataErrc::ExchangeFile)
{
    raiseDataError(code, "Cannot Create file " + file + " (" + why + ")");
}

} // namespace

void PrepareExchangeFolder(const QString &folder, const QString &file)
{
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0) {
        if (errno != ENOENT)
            cannotCreate(file, "the exchange folder cannot be read");
        QDir().mkpath(QFileInfo(QString::fromLocal8Bit(path)).path());
        if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
            cannotCreate(file, "the exchange folder cannot be made");
        if (::lstat(path.constData(), &st) != 0)
            cannotCreate(file, "the exchange folder cannot be made");
    }
    if (S_ISLNK(st.st_mode))
        cannotCreate(file, "the exchange folder is a symbolic link");
    if (!S_ISDIR(st.st_mode))
        cannotCreate(file, "the exchange folder is not a folder");
    if (st.st_uid != ::geteuid())
        cannotCreate(file, "the exchange folder belongs to another user");
    if ((st.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0)
        cannotCreate(file, "the exchange folder cannot be made private");

    struct stat fst {};
    if (::lstat(QFile::encodeName(file).constData(), &fst) == 0 && !S_ISREG(fst.st_mode))
        cannotCreate(file, "a link or another kind of file stands at its place");
}

ExchangeLock::ExchangeLock(const QString &file, int timeoutMs)
{
    if (g_loadInProgress)
        cannotCreate(file, "another grid load is in progress", DataErrc::Busy);
    const QByteArray lockPath = QFile::encodeName(file + ".lock");
    m_fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0)
        cannotCreate(file, "its lock cannot be made");
    QElapsedTimer timer;
    timer.start();
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (timer.elapsed() >= timeoutMs) {
            ::close(m_fd);
            m_fd = -1;
            cannotCreate(file, "another copy of the program keeps it busy", DataErrc::Busy);
        }
        QThread::msleep(20);
    }
    g_loadInProgress = true;
}

ExchangeLock::~ExchangeLock()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        g_loadInProgress = false;
    }
}
