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
#include "db/jet_copy_p.h"
#include "db/cache_folder.h"
#include "db/db_error.h"
#include "db/jet_functions_p.h"
#include "db/jet_text_p.h"
#include "db/mdb_loader_p.h"

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
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace db::detail {

namespace {

uint64_t rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

// A fast 64-bit hash with four independent lanes (the whole file is hashed at every open,
// so this must run at memory speed); not cryptographic, it only detects changed content.
uint64_t hash64(const char *data, size_t n)
{
    constexpr uint64_t P1 = 0x9E3779B185EBCA87ULL, P2 = 0xC2B2AE3D27D4EB4FULL;
    uint64_t lane[4] = {P1 + P2, P2, 0, 0 - P1};
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        for (int k = 0; k < 4; ++k) {
            uint64_t w;
            std::memcpy(&w, data + i + 8 * k, 8);
            lane[k] = rotl(lane[k] + w * P2, 31) * P1;
        }
    }
    uint64_t h = rotl(lane[0], 1) + rotl(lane[1], 7) + rotl(lane[2], 12) + rotl(lane[3], 18) + n;
    for (; i < n; ++i)
        h = rotl(h ^ (uint8_t(data[i]) * P1), 11) * P2;
    h ^= h >> 33;
    h *= P2;
    h ^= h >> 29;
    return h;
}

QString hex(uint64_t v) { return QString::number(qulonglong(v), 16).rightJustified(16, u'0'); }

QString cacheDir() { return CatalogueCacheFolder(); }

SourceKey keyOf(const QString &path, const QByteArray &file)
{
    SourceKey key;
    key.path = QFileInfo(path).canonicalFilePath();
    if (key.path.isEmpty())
        key.path = QFileInfo(path).absoluteFilePath();
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        key.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    key.size = file.size();
    key.hash = contentHash(file);
    key.order = generalOrderFingerprint();
    return key;
}

// Whether the copy at `copy` was made from exactly the file `key` describes, its indexes
// laid out in this build's text order.
bool copyMatches(const QString &copy, const SourceKey &key)
{
    if (!QFileInfo::exists(copy))
        return false;
    sqlite3 *db = nullptr;
    bool match = false;
    if (sqlite3_open_v2(QFile::encodeName(copy).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db,
                               "SELECT path, size, mtime, hash, text_order, "
                               "(SELECT user_version FROM pragma_user_version) FROM __jet_source",
                               -1, &st, nullptr)
                == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW) {
            match = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))) == key.path
                    && sqlite3_column_int64(st, 1) == key.size && sqlite3_column_int64(st, 2) == key.mtimeNs
                    && QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 3))) == key.hash
                    && QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 4))) == key.order
                    && sqlite3_column_int(st, 5) == kCopyFormat;
        }
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    return match;
}

// Runs SQLite's own integrity check on a copy just written, with the General order
// registered, so that an index laid out in another order than SQLite's lookups use shows.
// It costs a good part of a first open, so only the tests ask for it
// (CATALOG_CHECK_COPIES); raises DbError(Format) with SQLite's findings.
void checkIntegrity(const QString &copy)
{
    sqlite3 *db = nullptr;
    QStringList findings;
    if (sqlite3_open_v2(QFile::encodeName(copy).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        findings << QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        registerJetFunctions(db);
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check(200)", -1, &st, nullptr) != SQLITE_OK)
            findings << QString::fromUtf8(sqlite3_errmsg(db));
        // A Decimal that a real cannot hold keeps its exact text in its NUMERIC column, on
        // purpose; SQLite's check reports such a value ("TEXT value in T.C"), which says
        // nothing of the b-trees or their order.
        const QRegularExpression keptText(QStringLiteral("^TEXT value in [^ ]+$"));
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            const QString finding = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
            if (!keptText.match(finding).hasMatch())
                findings << finding;
        }
        if (findings.isEmpty())
            findings << QStringLiteral("ok");
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    if (findings != QStringList{QStringLiteral("ok")})
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
    raiseDbError(DbErrc::Open, QStringLiteral("The catalogue cannot be read: its helper program \"%1\" is missing from the "
                                              "program folder \"%2\". Install the program again.")
                                   .arg(QLatin1String(kCopyHelperName), folders.front()));
}

// Starts one helper per share, each copying its share to its temporary file, and waits
// for all of them; helpers still running at the time-out are ended.
void makeCopies(const QString &path, const SourceKey &key, const std::vector<Share> &shares, int timeoutSeconds)
{
    const QString helper = copyHelper();
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
        h->setArguments({QLatin1String(shareName(s.tables)), path, s.tmp, key.path, QString::number(key.size),
                         QString::number(key.mtimeNs), key.hash});
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
            raiseDbError(DbErrc::Open, QStringLiteral("The catalogue cannot be read: its helper program \"%1\" does not "
                                                      "start (%2).")
                                           .arg(helper, why));
        }
    }
    bool timedOut = false;
    for (auto &h : helpers)
        if (!h->waitForFinished(int(std::max<qint64>(deadline.remainingTime(), 1))) && h->state() != QProcess::NotRunning)
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

QString contentHash(const QByteArray &bytes) { return hex(hash64(bytes.constData(), size_t(bytes.size()))); }

QStringList sqliteCopyOf(const QString &path, const QByteArray &file, int timeoutSeconds)
{
    const SourceKey key = keyOf(path, file);
    const QByteArray pathBytes = key.path.toUtf8();
    const QString stem = cacheDir() + u'/' + hex(hash64(pathBytes.constData(), size_t(pathBytes.size())));
    // The largest table is copied by a process of its own beside the others: it takes
    // about as long as all the rest together, and the two run on two cores.
    std::vector<Share> shares = {{stem + QStringLiteral(".sqlite"), {}, TableShare::Others},
                                 {stem + QStringLiteral("-largest.sqlite"), {}, TableShare::Largest}};
    QStringList copies;
    for (const Share &s : shares)
        copies << s.copy;
    if (std::all_of(shares.begin(), shares.end(), [&](const Share &s) { return copyMatches(s.copy, key); }))
        return copies;

    static std::atomic<int> serial{0};
    for (Share &s : shares) {
        s.tmp = s.copy + QStringLiteral(".tmp-%1-%2").arg(::getpid()).arg(serial++);
        QFile::remove(s.tmp);
    }
    makeCopies(path, key, shares, timeoutSeconds);
    // A helper of another build would have laid out the indexes in its own text order,
    // where this program's lookups would miss rows.
    for (const Share &s : shares)
        if (!copyMatches(s.tmp, key)) {
            for (const Share &t : shares)
                QFile::remove(t.tmp);
            raiseDbError(DbErrc::Open, QStringLiteral("The catalogue cannot be read: the helper program \"%1\" does not "
                                                      "belong to this program. Install the program again.")
                                           .arg(copyHelper()));
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
    if (arguments.size() != 7)
        return HelperUsage;
    const QString share = arguments[0];
    const TableShare tables = share == QLatin1String("largest") ? TableShare::Largest
                              : share == QLatin1String("others") ? TableShare::Others
                                                                 : TableShare::All;
    const QString source = arguments[1], out = arguments[2];
    SourceKey key;
    key.path = arguments[3];
    key.size = arguments[4].toLongLong();
    key.mtimeNs = arguments[5].toLongLong();
    key.hash = arguments[6];
    int status = HelperDone;
    try {
        QFile f(source);
        if (!f.open(QIODevice::ReadOnly))
            raiseDbError(DbErrc::Open, QStringLiteral("The catalogue file cannot be read: %1.").arg(f.errorString()));
        const QByteArray bytes = f.readAll();
        // The copy is recorded under the key of the bytes the program read: a file changed
        // since then would give a copy that does not match its own key.
        if (bytes.size() != key.size || contentHash(bytes) != key.hash)
            raiseDbError(DbErrc::Open, QStringLiteral("The catalogue file changed while it was being read; open it again."));
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
