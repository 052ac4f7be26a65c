// Checks and locks for the exchange folder. Once the folder is a real folder of ours
// with mode 0700, nobody else can create entries in it, so the checks made before
// the export cannot be undone by another user between the check and the write.
#include "data/exchange_folder.h"
#include "data/data_error.h"
#include "platform/os_files.h"
#include "platform/os_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cerrno>

namespace os = platform::os;

namespace {

bool g_loadInProgress = false;

[[noreturn]] void cannotCreate(const QString &file, const QString &why, DataErrc code = DataErrc::ExchangeFile)
{
    raiseDataError(code, "Cannot Create file " + file + " (" + why + ")");
}

} // namespace

void PrepareExchangeFolder(const QString &folder, const QString &file)
{
    const QString path = QDir::cleanPath(folder);
    int error = 0;
    std::optional<os::FileStatus> st = os::linkStatus(path, &error);
    if (!st) {
        if (error != ENOENT)
            cannotCreate(file, "the exchange folder cannot be read");
        QDir().mkpath(QFileInfo(path).path());
        if (!os::makeFolder(path, &error) && error != EEXIST)
            cannotCreate(file, "the exchange folder cannot be made");
        st = os::linkStatus(path);
        if (!st)
            cannotCreate(file, "the exchange folder cannot be made");
    }
    if (st->kind == os::FileKind::Link)
        cannotCreate(file, "the exchange folder is a symbolic link");
    if (st->kind != os::FileKind::Folder)
        cannotCreate(file, "the exchange folder is not a folder");
    if (!st->ownedByUser)
        cannotCreate(file, "the exchange folder belongs to another user");
    if (!st->privateToOwner && !os::makePrivate(path))
        cannotCreate(file, "the exchange folder cannot be made private");

    const std::optional<os::FileStatus> fst = os::linkStatus(file);
    if (fst && fst->kind != os::FileKind::Regular)
        cannotCreate(file, "a link or another kind of file stands at its place");
}

ExchangeLock::ExchangeLock(const QString &file, int timeoutMs)
{
    if (g_loadInProgress)
        cannotCreate(file, "another grid load is in progress", DataErrc::Busy);
    m_lock = std::make_unique<os::FileLock>(file + ".lock");
    if (m_lock->error() != 0)
        cannotCreate(file, "its lock cannot be made");
    QElapsedTimer timer;
    timer.start();
    while (!m_lock->tryLock()) {
        if (timer.elapsed() >= timeoutMs)
            cannotCreate(file, "another copy of the program keeps it busy", DataErrc::Busy);
        os::sleepMs(20);
    }
    g_loadInProgress = true;
}

ExchangeLock::~ExchangeLock()
{
    if (m_lock->isLocked())
        g_loadInProgress = false;
}
