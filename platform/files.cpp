// Case-insensitive file name resolution. Every battery click looks up its photo in foto/,
// a folder that may hold thousands of photos; its names are read once and kept while the
// folder is unchanged (its modification time), so a click costs a look-up, not a listing.
#include "platform/files.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace {

// A folder's names, each under its lower-case form (the first of several that differ only
// in case wins, as the listing's first match did).
struct Listing {
    QDateTime modified;
    QHash<QString, QString> byFoldedName;
};

// A listing taken within this long of the folder's last change may have missed a change
// made in the same tick of the file system's clock, so it is read again next time.
constexpr qint64 kSettleMs = 2000;

QMutex g_mutex;
QHash<QString, Listing> g_listings;

// The real name of `name` in `dir` ignoring case; empty when there is none.
QString nameIgnoringCase(const QDir &dir, const QString &name)
{
    const QString folder = dir.absolutePath();
    const QDateTime modified = QFileInfo(folder).lastModified();
    QMutexLocker lock(&g_mutex);
    auto it = g_listings.find(folder);
    if (it == g_listings.end() || it->modified != modified) {
        Listing listing;
        listing.modified = modified;
        const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QString &entry : entries)
            if (!listing.byFoldedName.contains(entry.toLower()))
                listing.byFoldedName.insert(entry.toLower(), entry);
        it = g_listings.insert(folder, listing);
        if (modified.msecsTo(QDateTime::currentDateTimeUtc()) < kSettleMs) {
            const QString found = it->byFoldedName.value(name.toLower());
            g_listings.erase(it);
            return found;
        }
    }
    return it->byFoldedName.value(name.toLower());
}

} // namespace

QString ResolveFileName(const QString &path)
{
    QFileInfo info(path);
    if (info.exists() || path.isEmpty())
        return path;
    QDir dir = info.dir();
    if (!dir.exists())
        return path;
    const QString entry = nameIgnoringCase(dir, info.fileName());
    return entry.isEmpty() ? path : dir.filePath(entry);
}

bool FileExistsAnyCase(const QString &path) { return QFileInfo(ResolveFileName(path)).isFile(); }

QString PhotoFile(const QString &folder, const QString &name)
{
    const QString path = ResolveFileName(folder + name + QStringLiteral(".JPG"));
    return QFileInfo(path).isFile() ? path : QString();
}
