// The checks and the making of the user's own folders, and the run folder's lifetime: a
// static object made on the first call removes the folder when the program ends (after
// main returns or at exit()), only in the process that made it.
#include "platform/own_folders.h"

#include "platform/os_files.h"
#include "platform/os_process.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>

namespace platform {

namespace {

QString quoted(const QString &path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

QString absoluteClean(const QString &path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

const QString kRunPrefix = QStringLiteral("dazozizizavuv-run-");
// Inside each run folder: the maker's process id and id space, so that a later run can
// tell a folder of a killed program from one of a program still running.
const QString kMakerFile = QStringLiteral(".maker");

QString makerText(qint64 pid) { return QString::number(pid) + QLatin1Char('\n') + os::processIdSpace(); }

// Removes the run folders in `base` that programs killed before they could remove them
// left behind: only the user's own private folders whose maker is known, counted in the
// same id space, and no longer runs. A folder without a readable maker is kept.
void sweepLeftRunFolders(const QString &base)
{
    const QString space = os::processIdSpace();
    if (space.isEmpty())
        return;
    const QStringList names =
        QDir(base).entryList({kRunPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : names) {
        const QString folder = base + QLatin1Char('/') + name;
        const std::optional<os::FileStatus> st = os::linkStatus(folder);
        if (!st || st->kind != os::FileKind::Folder || !st->ownedByUser || !st->privateToOwner)
            continue;
        QFile maker(folder + QLatin1Char('/') + kMakerFile);
        if (!maker.open(QIODevice::ReadOnly))
            continue;
        const QStringList lines = QString::fromUtf8(maker.read(256)).split(QLatin1Char('\n'));
        bool ok = false;
        const qint64 pid = lines.value(0).toLongLong(&ok);
        if (ok && lines.value(1) == space && pid != os::processId() && !os::processAlive(pid))
            os::removeTree(folder);
    }
}

class RunFolderHolder {
public:
    RunFolderHolder() : m_maker(os::processId())
    {
        QStringList bases;
        const QString tmpdir = qEnvironmentVariable("TMPDIR");
        if (tmpdir.startsWith(QLatin1Char('/')))
            bases << QDir::cleanPath(tmpdir);
        if (!bases.contains(QStringLiteral("/tmp")))
            bases << QStringLiteral("/tmp");
        QStringList reasons;
        for (const QString &base : bases) {
            int error = 0;
            sweepLeftRunFolders(base);
            const QString made = os::makeTemporaryFolder(base + QLatin1Char('/') + kRunPrefix, &error);
            if (made.isEmpty()) {
                reasons << QStringLiteral("no folder can be made in %1: %2").arg(quoted(base), os::errorText(error));
                continue;
            }
            // The system made it just now and nobody else can have entered it, but a
            // folder that does not say so is not kept.
            const std::optional<os::FileStatus> st = os::linkStatus(made, &error);
            if (!st || st->kind != os::FileKind::Folder || !st->ownedByUser || !st->privateToOwner) {
                reasons << QStringLiteral("%1 is not private").arg(quoted(made));
                os::removeTree(made);
                continue;
            }
            QFile maker(made + QLatin1Char('/') + kMakerFile);
            if (maker.open(QIODevice::WriteOnly))
                maker.write(makerText(m_maker).toUtf8());
            m_path = made;
            return;
        }
        m_reason = reasons.join(QStringLiteral("; "));
    }
    ~RunFolderHolder()
    {
        if (!m_path.isEmpty() && os::processId() == m_maker)
            os::removeTree(m_path);
    }
    RunFolderHolder(const RunFolderHolder &) = delete;
    RunFolderHolder &operator=(const RunFolderHolder &) = delete;

    QString m_path;
    QString m_reason;

private:
    qint64 m_maker;
};

} // namespace

QString FolderRefusal(const QString &path)
{
    int error = 0;
    const std::optional<os::FileStatus> st = os::status(path, &error);
    if (!st)
        return QStringLiteral("%1 cannot be examined: %2").arg(quoted(path), os::errorText(error));
    if (st->kind != os::FileKind::Folder)
        return QStringLiteral("%1 is not a folder").arg(quoted(path));
    if (!st->ownedByUser)
        return QStringLiteral("%1 belongs to another user").arg(quoted(path));
    if (st->writableByOthers)
        return QStringLiteral("%1 may be written by other users").arg(quoted(path));
    if (!os::writable(path, &error))
        return QStringLiteral("%1 cannot be written: %2").arg(quoted(path), os::errorText(error));
    return QString();
}

QString MakeOwnFolder(const QString &path, ExistingFolder existing)
{
    const QString target = absoluteClean(path);
    // The folders missing on the way, outermost first.
    QStringList missing;
    QString at = target;
    int error = 0;
    while (!os::status(at, &error)) {
        if (error != ENOENT)
            return QStringLiteral("%1 cannot be examined: %2").arg(quoted(at), os::errorText(error));
        missing.prepend(at);
        const QString up = QFileInfo(at).path();
        if (up == at)
            break;
        at = up;
    }
    for (const QString &folder : missing) {
        if (!os::makeFolder(folder, &error) && error != EEXIST)
            return QStringLiteral("%1 cannot be made: %2").arg(quoted(folder), os::errorText(error));
        const QString refusal = FolderRefusal(folder);
        if (!refusal.isEmpty())
            return refusal;
    }
    if (missing.isEmpty() && existing == ExistingFolder::MakePrivate) {
        const std::optional<os::FileStatus> st = os::status(target);
        if (st && st->kind == os::FileKind::Folder && st->ownedByUser && st->writableByOthers
            && !os::makePrivate(target, &error))
            return QStringLiteral("%1 cannot be made private: %2").arg(quoted(target), os::errorText(error));
    }
    return FolderRefusal(target);
}

QString RunFolder(QString *reason)
{
    static RunFolderHolder holder;
    if (holder.m_path.isEmpty() && reason)
        *reason = holder.m_reason;
    return holder.m_path;
}

QString UserTemporaryFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/'))) {
        const std::optional<os::FileStatus> st = os::status(runtime);
        if (st && st->kind == os::FileKind::Folder && st->ownedByUser && st->privateToOwner)
            return QDir::cleanPath(runtime);
    }
    // In /tmp anyone may have made it, or put a link there: only a real folder of the
    // user's is taken, and made the user's alone.
    const QString own = QStringLiteral("/tmp/dazozizizavuv-%1").arg(os::userId());
    int error = 0;
    std::optional<os::FileStatus> st = os::linkStatus(own, &error);
    if (!st && error == ENOENT && (os::makeFolder(own, &error) || error == EEXIST))
        st = os::linkStatus(own);
    if (st && st->kind == os::FileKind::Folder && st->ownedByUser && (st->privateToOwner || os::makePrivate(own)))
        return own;
    const QString run = RunFolder();
    return run.isEmpty() ? own : run;
}

} // namespace platform
