// The helper program's own side: the command line read, the catalogue file mapped and
// checked against the key the program examined, its tables copied (copy_tables_p.h), the
// mapping checked again before the copy is handed over, and the outcome told by the exit
// status and, on standard output, a report of a failure or the notes of a copy made.
#include "db/copy_helper.h"
#include "db/catalogue_file_p.h"
#include "db/copy_processes_p.h"
#include "db/copy_tables_p.h"
#include "db/db_error.h"
#include "db/jet_functions_p.h"
#include "db/sqlite_handle_p.h"
#include "platform/os_files.h"
#include "platform/os_process.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <utility>

namespace db::detail {

namespace {

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

} // namespace

} // namespace db::detail

namespace db {

namespace {

using namespace detail;

// A mapping of the catalogue file that the program examined, hashed before it is read.
struct MappedSource {
    QFile file;
    QByteArray read; // the bytes, where the file cannot be mapped
    QByteArrayView bytes;
    QString identity; // fileIdentity() as the file was mapped
    QString hash;     // contentHash() of the bytes as they were mapped

    // Maps the file at `path`; false when it is no longer the file of `key` (another
    // size or other sampled pages). Raises DbError(Open) when it cannot be read.
    bool map(const QString &path, const SourceKey &key)
    {
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly))
            raiseDbError(DbErrc::Open,
                         QStringLiteral("The catalogue file \"%1\" cannot be read: %2.").arg(path, file.errorString()));
        identity = fileIdentity(path);
        // Mapped, not read: the pages already in the system's cache are used where they
        // are, instead of being copied into fresh memory first. A file cut short meanwhile
        // ends this process, which the program reports as a changed file.
        const qint64 size = file.size();
        const uchar *mapped = size > 0 ? file.map(0, size) : nullptr;
        if (!mapped)
            read = file.readAll();
        bytes = mapped ? QByteArrayView(mapped, size) : QByteArrayView(read);
        // The copy is recorded under the key of the file the program examined: a file
        // changed since then would give a copy that does not match its own key.
        if (bytes.size() != key.size || sampleHash(file, key.size) != key.sample)
            return false;
        hash = contentHash(bytes);
        return true;
    }

    // Whether the bytes are still those hashed when they were mapped: a mapping shows
    // what is written to the file meanwhile, so a copy read from it may mix two
    // contents. The file's identity tells a change put back with the first bytes.
    bool unchanged()
    {
        const auto now = platform::os::status(file.fileName());
        return now && now->size == bytes.size() && fileIdentity(file.fileName()) == identity
               && contentHash(bytes) == hash;
    }
};

#ifdef CATALOG_TEST_HOOKS
// Test hook, compiled only where the tests are built: with CATALOG_COPY_PAUSE naming a
// folder, each reading stops after its first table, says so with a file
// "<share>-<reading>.paused" there and goes on once "<share>-<reading>.go" stands beside
// it (or after 60 s), so that a test can change the catalogue at a point of the copy it
// controls.
std::function<void()> pauseHook(TableShare share, int reading)
{
    const QString folder = QString::fromLocal8Bit(qgetenv("CATALOG_COPY_PAUSE"));
    if (folder.isEmpty())
        return {};
    const QString stem = folder + u'/' + QLatin1String(shareName(share)) + u'-' + QString::number(reading);
    return [stem, paused = false]() mutable {
        if (std::exchange(paused, true))
            return;
        QFile(stem + QStringLiteral(".paused")).open(QIODevice::WriteOnly);
        for (int waited = 0; waited < 60000 && !QFileInfo::exists(stem + QStringLiteral(".go")); waited += 10)
            platform::os::sleepMs(10);
    };
}
#else
std::function<void()> pauseHook(TableShare, int) { return {}; }
#endif

} // namespace

int runCopyHelper(const QStringList &arguments)
{
    if (arguments.size() != 9)
        return HelperUsage;
    const TableShare tables = shareNamed(arguments[0]);
    const QString source = arguments[1], out = arguments[2];
    SourceKey key;
    key.path = arguments[3];
    key.size = arguments[4].toLongLong();
    key.mtimeNs = arguments[5].toLongLong();
    key.identity = arguments[6];
    key.sample = arguments[7];
    key.indexes = arguments[8];
    // The copy allocates row buffers and index records of many megabytes, one table and
    // one index after another. By default each is mapped afresh and handed back when
    // freed, so the next one faults in and clears new pages again; kept in the heap, the
    // freed room is reused. The process ends right after, so holding on costs nothing.
    platform::os::setHeapMapThreshold(32 << 20); // the largest it takes
    platform::os::setHeapTrimThreshold(1 << 30);
    try {
        // A file changed while it was read is read again once: a copy over the network
        // or an unzip in place may have been finishing. A second change is the user's to
        // wait out.
        for (int reading = 1;; ++reading) {
            MappedSource mapped;
            if (!mapped.map(source, key))
                raiseChangedWhileRead(source);
            key.hash = mapped.hash;
            QStringList counts;
            try {
                counts = copyJetTables(mapped.bytes, out, key, tables, RowWriting::Pages, pauseHook(tables, reading));
            } catch (const DbError &) {
                if (mapped.unchanged())
                    throw;
            }
            if (mapped.unchanged()) {
                if (qEnvironmentVariableIsSet("CATALOG_CHECK_COPIES"))
                    checkIntegrity(out);
                // Not a failure: the program notes them.
                for (const QString &line : counts)
                    std::fputs((line + u'\n').toUtf8().constData(), stdout);
                return HelperDone;
            }
            QFile::remove(out);
            if (reading == 2)
                raiseChangedWhileRead(source);
        }
    } catch (const std::exception &e) {
        std::fputs(e.what(), stdout);
        return HelperDbError;
    }
}

} // namespace db
