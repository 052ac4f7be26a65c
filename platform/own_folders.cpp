// The checks and the making of the user's own folders, and the run folder's lifetime: a
// static object made on the first call removes the folder when the program ends (after
// main returns or at exit()), only in the process that made it.
#include "platform/own_folders.h"

#include "platform/os_files.h"
#include "platform/os_process.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>

namespace platform {

namespace {

QString quoted(const QString &path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

QString absoluteClean(const QString &path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

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
            const QString made = os::makeTemporaryFolder(base + QStringLiteral("/dazozizizavuv-run-"), &error);
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
