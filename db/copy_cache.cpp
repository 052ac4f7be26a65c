// The cache of catalogue copies: the key of a file as it is now, the keys recorded in the
// copies, and the choice between copies made earlier and new ones. A copy is two files
// written side by side by two runs of the helper program (copy_processes_p.h): the largest
// table, and all the others. Each helper reads the file again and checks it against the
// size and sample the program read, and its mapping against the hash it took before
// reading, so the copy always matches the key recorded with it even if the file changes
// meanwhile. Each writes to a temporary name that is renamed into place only after both
// left cleanly: a half-written copy is never found by a later open, and one left by a
// killed process is removed by the next. One process at a time makes the copy of a key;
// the others wait for it. Copies live in the cache folder (cache_folder.h).
#include "db/cache_folder.h"
#include "db/catalogue_file_p.h"
#include "db/copy_cache_p.h"
#include "db/copy_key_p.h"
#include "db/copy_processes_p.h"
#include "db/db_error.h"
#include "db/index_plan_p.h"
#include "db/jet_text_p.h"
#include "db/key_record_p.h"
#include "db/sqlite_handle_p.h"
#include "platform/os_files.h"
#include "platform/os_process.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <optional>
#include <sqlite3.h>
#include <vector>

namespace db::detail {

namespace {

Q_LOGGING_CATEGORY(lcCopy, "dazozizizavuv.catalogue-copy")

QString cacheDir() { return CatalogueCacheFolder(); }

// The key a copy was recorded under, when it is a copy of this build's format.
std::optional<SourceKey> storedKey(const QString &copy)
{
    if (!QFileInfo::exists(copy))
        return std::nullopt;
    const auto db = openIfPossible(copy, SQLITE_OPEN_READONLY);
    const Stmt st = db ? db->prepare("SELECT path, size, mtime, identity, sample, hash, text_order, indexes, "
                                     "(SELECT user_version FROM pragma_user_version) FROM __jet_source")
                       : nullptr;
    if (!st || sqlite3_step(st.get()) != SQLITE_ROW || sqlite3_column_int(st.get(), 8) != kCopyFormat)
        return std::nullopt;
    auto text = [&](int i) { return columnText(st.get(), i); };
    return SourceKey{text(0),
                     sqlite3_column_int64(st.get(), 1),
                     sqlite3_column_int64(st.get(), 2),
                     text(3),
                     text(4),
                     text(5),
                     text(6),
                     text(7)};
}

// Whether `stored` names the same file at the same size and time, with the same indexes
// laid out in this build's text order; the content is for the identity, the sample or the hash to say.
bool sameFile(const SourceKey &stored, const SourceKey &now)
{
    return stored.path == now.path && stored.size == now.size && stored.mtimeNs == now.mtimeNs
           && stored.order == now.order && stored.indexes == now.indexes;
}

// Records the file's present identity and sample in a copy whose content hash was just
// found equal to the file's (the file was copied back, or restored from a backup), so
// the next open is settled without reading the whole file again. A copy that cannot be
// written (a read-only cache) still serves; it only costs that read each time.
void refreshIdentity(const QString &copy, const SourceKey &key)
{
    const auto db = openIfPossible(copy, SQLITE_OPEN_READWRITE);
    if (const Stmt st = db ? db->prepare("UPDATE __jet_source SET identity = ?1, sample = ?2") : nullptr) {
        bindText(st.get(), 1, key.identity);
        bindText(st.get(), 2, key.sample);
        sqlite3_step(st.get());
    }
}

// Whether the file at `path` is no longer the one of `key`: another size, time, identity
// or sample, or gone.
bool changedSince(const QString &path, const SourceKey &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    try {
        const SourceKey now = presentKey(path, file);
        return now.size != key.size || now.mtimeNs != key.mtimeNs || now.identity != key.identity
               || now.sample != key.sample;
    } catch (const DbError &) {
        return true;
    }
}

// Removes the temporary copies `<name>.tmp-<pid>-<n>` in `folder` whose process is gone:
// a process killed while its helpers wrote them never renames or removes them.
void removeLeftovers(const QString &folder)
{
    static const QRegularExpression temporary(QStringLiteral("\\.tmp-(\\d+)-\\d+$"));
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.tmp-*")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const QRegularExpressionMatch m = temporary.match(name);
        if (m.hasMatch() && !platform::os::processAlive(m.captured(1).toLongLong()))
            QFile::remove(folder + u'/' + name);
    }
}

// Holds the lock of one copy key while this process makes the copy, so that another
// process opening the same catalogue meanwhile waits for it and uses it instead of
// starting helpers of its own. The wait is bounded by the time a copy may take; a lock
// that cannot be had in time (or at all, on a cache folder without locks) only costs a
// copy made twice. The lock files live in a folder of their own, "locks", beside the
// copies: one stays once made (removing it would let a process waiting on the old file
// and one locking a new one both go ahead), and the copies' folder keeps only copies and
// the records of keys.
class CopyKeyLock {
public:
    CopyKeyLock(const QString &folder, const QString &copyName, int timeoutSeconds)
        : m_lock(lockFolder(folder) + u'/' + copyName + QStringLiteral(".lock"))
    {
        if (m_lock.error() != 0)
            return;
        QDeadlineTimer deadline(qint64(timeoutSeconds) * 1000);
        while (!m_lock.tryLock() && !deadline.hasExpired())
            platform::os::sleepMs(20);
    }

private:
    static QString lockFolder(const QString &folder)
    {
        const QString locks = folder + QStringLiteral("/locks");
        platform::os::makeFolder(locks); // EEXIST once made
        return locks;
    }

    platform::os::FileLock m_lock;
};

} // namespace

QStringList sqliteCopyOf(const QString &path, QFile &file, const QList<QStringList> &indexHints, int timeoutSeconds)
{
    SourceKey key = presentKey(path, file);
    key.indexes = hintsText(indexHints);
    const QString folder = cacheDir();
    removeLeftovers(folder);
    // Copies with other index hints (a tool that asks for none) are kept apart, so that
    // neither replaces the other at every open.
    const QString stem = folder + u'/' + contentHash((key.path + u'\n' + key.indexes).toUtf8());
    // The largest table is copied by a process of its own beside the others: it takes
    // about as long as all the rest together, and the two run on two cores.
    std::vector<CopyShare> shares = {{stem + QStringLiteral(".sqlite"), {}, TableShare::Others},
                                     {stem + QStringLiteral("-largest.sqlite"), {}, TableShare::Largest}};
    QStringList copies;
    for (const CopyShare &s : shares)
        copies << s.copy;

    // Whether the copies made earlier hold this file, recording what settled it.
    QString contentRead; // the hash of every byte, once read
    auto usable = [&] {
        std::vector<std::optional<SourceKey>> stored;
        for (const CopyShare &s : shares)
            stored.push_back(storedKey(s.copy));
        const bool sameFiles = std::all_of(stored.begin(), stored.end(), [&](const auto &k) {
            return k && sameFile(*k, key) && k->hash == stored.front()->hash;
        });
        if (!sameFiles)
            return false;
        if (std::all_of(stored.begin(), stored.end(),
                        [&](const auto &k) { return k->identity == key.identity && k->sample == key.sample; })) {
            key.hash = stored.front()->hash;
            recordKey(key);
            return true;
        }
        // The same name, size and time, but touched since: only the content can tell.
        // The record of the file's last key may have settled it already (CatalogueContentKey).
        if (contentRead.isEmpty()) {
            if (const auto recorded = recordedHash(key)) {
                contentRead = *recorded;
            } else {
                if (!file.seek(0))
                    raiseDbError(
                        DbErrc::Open,
                        QStringLiteral("The catalogue file \"%1\" cannot be read: %2.").arg(path, file.errorString()));
                contentRead = contentHash(file.readAll());
            }
        }
        if (contentRead != stored.front()->hash)
            return false;
        key.hash = contentRead;
        for (const CopyShare &s : shares)
            refreshIdentity(s.copy, key);
        recordKey(key);
        return true;
    };
    if (usable())
        return copies;
    const CopyKeyLock lock(folder, QFileInfo(copies.front()).fileName(), timeoutSeconds);
    if (usable())
        return copies; // made by another process while this one waited

    static std::atomic<int> serial{0};
    for (CopyShare &s : shares) {
        s.tmp = s.copy + QStringLiteral(".tmp-%1-%2").arg(platform::os::processId()).arg(serial++);
        QFile::remove(s.tmp);
    }
    QStringList notes;
    try {
        notes = makeCopies(path, key, shares, timeoutSeconds);
    } catch (const DbError &e) {
        // A reader that stopped, or found the file damaged, may only have met a file
        // being written meanwhile: that is the thing to say.
        if (e.code() == DbErrc::Format && changedSince(path, key))
            raiseChangedWhileRead(path);
        throw;
    }
    auto removeAll = [&] {
        for (const CopyShare &t : shares)
            QFile::remove(t.tmp);
    };
    // Each helper hashed the bytes it read; both must have read the file the program
    // examined, and have laid out their indexes in this build's text order (a helper of
    // another build would not, and this program's lookups would miss rows).
    std::optional<QString> hash;
    for (const CopyShare &s : shares) {
        const std::optional<SourceKey> made = storedKey(s.tmp);
        if (!made || made->order != key.order) {
            removeAll();
            raiseDbError(DbErrc::Open,
                         QStringLiteral("The catalogue cannot be read: the helper program \"%1\" does not "
                                        "belong to this program. Install the program again.")
                             .arg(copyHelper()));
        }
        if (!sameFile(*made, key) || made->identity != key.identity || made->sample != key.sample
            || (hash && *hash != made->hash)) {
            removeAll();
            raiseChangedWhileRead(path);
        }
        hash = made->hash;
    }
    for (const QString &note : notes)
        qCWarning(lcCopy, "%s: %s", qUtf8Printable(path), qUtf8Printable(note));
    // Each file carries the key, so a pair half replaced by another process is only a
    // mismatch that a later open copies again.
    for (size_t i = 0; i < shares.size(); ++i)
        if (!platform::os::renameFile(shares[i].tmp, shares[i].copy))
            copies[qsizetype(i)] = shares[i].tmp; // someone else's copy may stand there; ours still serves
    key.hash = *hash;
    recordKey(key);
    return copies;
}

} // namespace db::detail
