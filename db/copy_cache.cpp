// Where the copies live and how they are made. A copy is two files written side by side
// by two runs of the helper program (catalogue-copy): the largest table, and all the
// others. A separate program, not a fork of this one: a forked copy of a process with
// threads may only make async-signal-safe calls, and the reading runs libmdb, glib, SQLite
// and Qt, any of whose locks another thread may have held at the fork. Each helper reads
// the file again and checks it against the size and content hash the program read, so the
// copy always matches the key recorded with it even if the file changes meanwhile. Each
// writes to a temporary name that is renamed into place only after both left cleanly: a
// half-written copy is never found by a later open. Copies live in $CATALOG_CACHE_DIR,
// else the user's cache folder, else the temporary folder.
#include "db/cache_folder.h"
#include "db/catalogue_file_p.h"
#include "db/copy_cache_p.h"
#include "db/copy_tables_p.h"
#include "db/db_error.h"
#include "db/index_plan_p.h"
#include "db/jet_functions_p.h"
#include "db/jet_text_p.h"
#include "db/sqlite_handle_p.h"

#include "db/copy_helper.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace db::detail {

namespace {

QString cacheDir() { return CatalogueCacheFolder(); }

// The key of the file as it is now, all but its content hash, which is read only when
// the identity or the sample does not settle it.
SourceKey keyOf(const QString &path, QFile &file)
{
    SourceKey key;
    key.path = QFileInfo(path).canonicalFilePath();
    if (key.path.isEmpty())
        key.path = QFileInfo(path).absoluteFilePath();
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        key.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    key.size = file.size();
    key.identity = fileIdentity(path);
    key.sample = sampleHash(file, key.size);
    key.order = generalOrderFingerprint();
    return key;
}

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

// Runs SQLite's own integrity check on a copy just written, with the General order
// registered, so that an index laid out in another order than SQLite's lookups use shows.
// It costs a good part of a first open, so only the tests ask for it
// (CATALOG_CHECK_COPIES); raises DbError(Format) with SQLite's findings.
void checkIntegrity(const QString &copy)
{
    SqliteHandle db(copy, SQLITE_OPEN_READONLY, DbErrc::Format,
                    QStringLiteral("The copy of the catalogue cannot be checked"));
    registerJetFunctions(db.get());
    const Stmt st = db.prepare("PRAGMA integrity_check(200)");
    if (!st)
        raiseDbError(DbErrc::Format,
                     QStringLiteral("The copy of the catalogue cannot be checked: %1").arg(db.errorMessage()));
    // A Decimal that a real cannot hold keeps its exact text in its NUMERIC column, on
    // purpose; SQLite's check reports such a value ("TEXT value in T.C"), which says
    // nothing of the b-trees or their order.
    const QRegularExpression keptText(QStringLiteral("^TEXT value in [^ ]+$"));
    QStringList findings;
    while (sqlite3_step(st.get()) == SQLITE_ROW) {
        const QString finding = columnText(st.get(), 0);
        if (finding != QLatin1String("ok") && !keptText.match(finding).hasMatch())
            findings << finding;
    }
    if (!findings.isEmpty())
        raiseDbError(DbErrc::Format, QStringLiteral("The copy of the catalogue fails SQLite's integrity check: %1")
                                         .arg(findings.join(QStringLiteral("; "))));
}

// One copy file: where it is kept, where it is written first, and which tables it holds.
struct Share {
    QString copy;
    QString tmp;
    TableShare tables = TableShare::All;
};

[[noreturn]] void damagedFile(const QString &path, const QString &why)
{
    raiseDbError(DbErrc::Format, QStringLiteral("The catalogue file \"%1\" is damaged: %2.").arg(path, why));
}

// The helper's exit statuses; anything else (a crash, a sanitizer's report) reads as a
// failed reading.
enum HelperStatus { HelperDone = 0, HelperDbError = 2, HelperUsage = 4 };

const char *shareName(TableShare share)
{
    switch (share) {
    case TableShare::All: return "all";
    case TableShare::Largest: return "largest";
    case TableShare::Others: return "others";
    }
    return "all";
}

// The helper program: named by CATALOG_COPY_HELPER, else beside the running executable
// (the installed program folder), else in the installed program folder seen from bin/
// (the catalogue tools installed on the PATH), else in the build's program folder, for
// the tools, tests and benchmarks that run from the build tree.
QString copyHelper()
{
    const QString named = QString::fromLocal8Bit(qgetenv("CATALOG_COPY_HELPER"));
    if (!named.isEmpty())
        return named;
    QStringList folders;
    if (QCoreApplication::instance()) {
        const QString mine = QCoreApplication::applicationDirPath();
        folders << mine << QDir::cleanPath(mine + QStringLiteral("/" CATALOG_APPDIR_FROM_BIN));
    }
    folders << QStringLiteral(CATALOG_BUILD_APPDIR);
    for (const QString &folder : folders) {
        const QString candidate = folder + u'/' + QLatin1String(kCopyHelperName);
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    raiseDbError(DbErrc::Open,
                 QStringLiteral("The catalogue cannot be read: its helper program \"%1\" is missing from the "
                                "program folder \"%2\". Install the program again.")
                     .arg(QLatin1String(kCopyHelperName), folders.front()));
}

// Starts one helper per share, each copying its share to its temporary file, and waits
// for all of them; helpers still running at the time-out are ended.
void makeCopies(const QString &path, const SourceKey &key, const std::vector<Share> &shares, int timeoutSeconds)
{
    const QString helper = copyHelper();
    // The helpers fill and order a few hundred megabytes of rows on a large catalogue.
    // In huge pages that memory faults in 512 times less often, and the random reads of
    // the ordering miss the address cache less: a sixth off the huge catalogue's first
    // open. The C library's malloc asks for them only when told at start-up, so it is
    // told here.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString tunables = environment.value(QStringLiteral("GLIBC_TUNABLES"));
    if (!tunables.contains(QLatin1String("glibc.malloc.hugetlb")))
        environment.insert(QStringLiteral("GLIBC_TUNABLES"), (tunables.isEmpty() ? QString() : tunables + u':')
                                                                 + QStringLiteral("glibc.malloc.hugetlb=1"));
    QDeadlineTimer deadline(qint64(timeoutSeconds) * 1000);
    std::vector<std::unique_ptr<QProcess>> helpers;
    auto endAll = [&] {
        for (auto &h : helpers)
            if (h->state() != QProcess::NotRunning) {
                h->kill();
                h->waitForFinished(-1);
            }
    };
    for (const Share &s : shares) {
        auto &h = helpers.emplace_back(std::make_unique<QProcess>());
        h->setProgram(helper);
        h->setProcessEnvironment(environment);
        h->setArguments({QLatin1String(shareName(s.tables)), path, s.tmp, key.path, QString::number(key.size),
                         QString::number(key.mtimeNs), key.identity, key.sample, key.indexes});
        h->setStandardInputFile(QProcess::nullDevice());
        // The report comes on standard output; libmdb prints its warnings about a damaged
        // file on standard error, which is not for the user's terminal.
        h->setStandardErrorFile(QProcess::nullDevice());
        h->start();
    }
    for (auto &h : helpers) {
        if (!h->waitForStarted(-1)) {
            const QString why = h->errorString();
            endAll();
            raiseDbError(DbErrc::Open,
                         QStringLiteral("The catalogue cannot be read: its helper program \"%1\" does not "
                                        "start (%2).")
                             .arg(helper, why));
        }
    }
    bool timedOut = false;
    for (auto &h : helpers)
        if (!h->waitForFinished(int(std::max<qint64>(deadline.remainingTime(), 1)))
            && h->state() != QProcess::NotRunning)
            timedOut = true;
    endAll();

    bool failed = timedOut;
    for (auto &h : helpers)
        failed = failed || h->exitStatus() != QProcess::NormalExit || h->exitCode() != HelperDone;
    if (failed)
        for (const Share &s : shares)
            QFile::remove(s.tmp);
    if (timedOut)
        damagedFile(path, QStringLiteral("reading it did not finish within %1 s").arg(timeoutSeconds));
    for (auto &h : helpers) {
        if (h->exitStatus() != QProcess::NormalExit)
            damagedFile(path, QStringLiteral("reading it failed (the reader stopped abnormally)"));
        const QByteArray report = h->readAllStandardOutput().trimmed();
        if (h->exitCode() == HelperDbError && !report.isEmpty())
            raiseDbError(DbErrc::Format, QString::fromUtf8(report) + QStringLiteral(" (\"%1\")").arg(path));
        if (h->exitCode() != HelperDone)
            damagedFile(path, QStringLiteral("reading it failed (status %1)").arg(h->exitCode()));
    }
}

} // namespace

QStringList sqliteCopyOf(const QString &path, QFile &file, const QList<QStringList> &indexHints, int timeoutSeconds)
{
    SourceKey key = keyOf(path, file);
    key.indexes = hintsText(indexHints);
    // Copies with other index hints (a tool that asks for none) are kept apart, so that
    // neither replaces the other at every open.
    const QString stem = cacheDir() + u'/' + contentHash((key.path + u'\n' + key.indexes).toUtf8());
    // The largest table is copied by a process of its own beside the others: it takes
    // about as long as all the rest together, and the two run on two cores.
    std::vector<Share> shares = {{stem + QStringLiteral(".sqlite"), {}, TableShare::Others},
                                 {stem + QStringLiteral("-largest.sqlite"), {}, TableShare::Largest}};
    QStringList copies;
    std::vector<std::optional<SourceKey>> stored;
    for (const Share &s : shares) {
        copies << s.copy;
        stored.push_back(storedKey(s.copy));
    }
    const bool sameFiles = std::all_of(stored.begin(), stored.end(), [&](const auto &k) {
        return k && sameFile(*k, key) && k->hash == stored.front()->hash;
    });
    if (sameFiles && std::all_of(stored.begin(), stored.end(), [&](const auto &k) {
            return k->identity == key.identity && k->sample == key.sample;
        }))
        return copies;
    if (sameFiles) {
        // The same name, size and time, but touched since: only the content can tell.
        if (!file.seek(0))
            raiseDbError(DbErrc::Open,
                         QStringLiteral("The catalogue file \"%1\" cannot be read: %2.").arg(path, file.errorString()));
        key.hash = contentHash(file.readAll());
        if (key.hash == stored.front()->hash) {
            for (const Share &s : shares)
                refreshIdentity(s.copy, key);
            return copies;
        }
    }

    static std::atomic<int> serial{0};
    for (Share &s : shares) {
        s.tmp = s.copy + QStringLiteral(".tmp-%1-%2").arg(::getpid()).arg(serial++);
        QFile::remove(s.tmp);
    }
    makeCopies(path, key, shares, timeoutSeconds);
    auto removeAll = [&] {
        for (const Share &t : shares)
            QFile::remove(t.tmp);
    };
    // Each helper hashed the bytes it read; both must have read the file the program
    // examined, and have laid out their indexes in this build's text order (a helper of
    // another build would not, and this program's lookups would miss rows).
    std::optional<QString> hash;
    for (const Share &s : shares) {
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
    // Each file carries the key, so a pair half replaced by another process is only a
    // mismatch that a later open copies again.
    for (size_t i = 0; i < shares.size(); ++i)
        if (::rename(QFile::encodeName(shares[i].tmp).constData(), QFile::encodeName(shares[i].copy).constData()) != 0)
            copies[qsizetype(i)] = shares[i].tmp; // someone else's copy may stand there; ours still serves
    return copies;
}

} // namespace db::detail

namespace db {

int runCopyHelper(const QStringList &arguments)
{
    using namespace detail;
    if (arguments.size() != 9)
        return HelperUsage;
    const QString share = arguments[0];
    const TableShare tables = share == QLatin1String("largest")  ? TableShare::Largest
                              : share == QLatin1String("others") ? TableShare::Others
                                                                 : TableShare::All;
    const QString source = arguments[1], out = arguments[2];
    SourceKey key;
    key.path = arguments[3];
    key.size = arguments[4].toLongLong();
    key.mtimeNs = arguments[5].toLongLong();
    key.identity = arguments[6];
    key.sample = arguments[7];
    key.indexes = arguments[8];
#ifdef __GLIBC__
    // The copy allocates row buffers and index records of many megabytes, one table and
    // one index after another. By default each is mapped afresh and handed back when
    // freed, so the next one faults in and clears new pages again; kept in the heap, the
    // freed room is reused. The process ends right after, so holding on costs nothing.
    mallopt(M_MMAP_THRESHOLD, 32 << 20); // the largest it takes
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    int status = HelperDone;
    try {
        QFile f(source);
        if (!f.open(QIODevice::ReadOnly))
            raiseDbError(DbErrc::Open, QStringLiteral("The catalogue file cannot be read: %1.").arg(f.errorString()));
        // Mapped, not read: the pages already in the system's cache are used where they
        // are, instead of being copied into fresh memory first. A file cut short meanwhile
        // ends this process, which the program reports as a damaged file.
        const qint64 size = f.size();
        const uchar *mapped = size > 0 ? f.map(0, size) : nullptr;
        QByteArray read;
        if (!mapped)
            read = f.readAll();
        const QByteArrayView bytes = mapped ? QByteArrayView(mapped, size) : QByteArrayView(read);
        // The copy is recorded under the key of the file the program examined: a file
        // changed since then would give a copy that does not match its own key.
        if (bytes.size() != key.size || sampleHash(f, key.size) != key.sample)
            raiseDbError(DbErrc::Open,
                         QStringLiteral("The catalogue file changed while it was being read; open it again."));
        key.hash = contentHash(bytes);
        copyJetTables(bytes, out, key, tables);
        if (qEnvironmentVariableIsSet("CATALOG_CHECK_COPIES"))
            checkIntegrity(out);
    } catch (const std::exception &e) {
        std::fputs(e.what(), stdout);
        status = HelperDbError;
    }
    return status;
}

} // namespace db
