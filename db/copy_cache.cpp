// The cache of catalogue copies: the key of a file as it is now, the keys recorded in the
// copies, and the choice between copies made earlier and new ones. A copy is two files
// written side by side by two runs of the helper program (copy_processes_p.h): the largest
// table, and all the others. Each helper reads the file again and checks it against the
// size and sample the program read, so the copy always matches the key recorded with it
// even if the file changes meanwhile. Each writes to a temporary name that is renamed into
// place only after both left cleanly: a half-written copy is never found by a later open.
// Copies live in $CATALOG_CACHE_DIR, else the user's cache folder, else the temporary
// folder.
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

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <optional>
#include <sqlite3.h>
#include <vector>

namespace db::detail {

namespace {

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

} // namespace

QStringList sqliteCopyOf(const QString &path, QFile &file, const QList<QStringList> &indexHints, int timeoutSeconds)
{
    SourceKey key = presentKey(path, file);
    key.indexes = hintsText(indexHints);
    // Copies with other index hints (a tool that asks for none) are kept apart, so that
    // neither replaces the other at every open.
    const QString stem = cacheDir() + u'/' + contentHash((key.path + u'\n' + key.indexes).toUtf8());
    // The largest table is copied by a process of its own beside the others: it takes
    // about as long as all the rest together, and the two run on two cores.
    std::vector<CopyShare> shares = {{stem + QStringLiteral(".sqlite"), {}, TableShare::Others},
                                     {stem + QStringLiteral("-largest.sqlite"), {}, TableShare::Largest}};
    QStringList copies;
    std::vector<std::optional<SourceKey>> stored;
    for (const CopyShare &s : shares) {
        copies << s.copy;
        stored.push_back(storedKey(s.copy));
    }
    const bool sameFiles = std::all_of(stored.begin(), stored.end(), [&](const auto &k) {
        return k && sameFile(*k, key) && k->hash == stored.front()->hash;
    });
    if (sameFiles && std::all_of(stored.begin(), stored.end(), [&](const auto &k) {
            return k->identity == key.identity && k->sample == key.sample;
        })) {
        key.hash = stored.front()->hash;
        recordKey(key);
        return copies;
    }
    if (sameFiles) {
        // The same name, size and time, but touched since: only the content can tell.
        // The record of the file's last key may have settled it already (CatalogueContentKey).
        if (const auto recorded = recordedHash(key)) {
            key.hash = *recorded;
        } else {
            if (!file.seek(0))
                raiseDbError(
                    DbErrc::Open,
                    QStringLiteral("The catalogue file \"%1\" cannot be read: %2.").arg(path, file.errorString()));
            key.hash = contentHash(file.readAll());
        }
        if (key.hash == stored.front()->hash) {
            for (const CopyShare &s : shares)
                refreshIdentity(s.copy, key);
            recordKey(key);
            return copies;
        }
        key.hash.clear();
    }

    static std::atomic<int> serial{0};
    for (CopyShare &s : shares) {
        s.tmp = s.copy + QStringLiteral(".tmp-%1-%2").arg(platform::os::processId()).arg(serial++);
        QFile::remove(s.tmp);
    }
    makeCopies(path, key, shares, timeoutSeconds);
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
            raiseDbError(
                DbErrc::Open,
                QStringLiteral("The catalogue file \"%1\" changed while it was being read; open it again.").arg(path));
        }
        hash = made->hash;
    }
    key.hash = *hash;
    recordKey(key);
    // Each file carries the key, so a pair half replaced by another process is only a
    // mismatch that a later open copies again.
    for (size_t i = 0; i < shares.size(); ++i)
        if (!platform::os::renameFile(shares[i].tmp, shares[i].copy))
            copies[qsizetype(i)] = shares[i].tmp; // someone else's copy may stand there; ours still serves
    return copies;
}

} // namespace db::detail
