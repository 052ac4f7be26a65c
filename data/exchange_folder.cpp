// The choice of the exchange folder, its checks and its lock. Once the folder is a real
// folder of ours with mode 0700, nobody else can create entries in it, so the checks made
// before the export cannot be undone by another user between the check and the write.
#include "data/exchange_folder.h"
#include "data/data_error.h"
#include "platform/os_files.h"
#include "platform/os_process.h"
#include "platform/own_folders.h"
#include "platform/settings.h"

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

// Whether something stands at `path` that belongs to another user. What cannot be
// examined is left to PrepareExchangeFolder to report.
bool takenByAnother(const QString &path)
{
    const std::optional<os::FileStatus> st = os::linkStatus(QDir::cleanPath(path));
    return st && !st->ownedByUser;
}

} // namespace

QString ExchangeFolder()
{
    const QString name = QStringLiteral("kelpStone");
    const QString designed = TempDir + name;
    if (!takenByAnother(designed))
        return designed;
    const QString own = platform::UserTemporaryFolder() + QDir::separator() + name;
    if (QDir::cleanPath(own) != QDir::cleanPath(designed) && !takenByAnother(own))
        return own;
    // Nobody else can enter the run folder, so nobody can have taken the name in it.
    const QString run = platform::RunFolder();
    return run.isEmpty() ? designed : run + QDir::separator() + name;
}

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
