// The helper program's own side: the command line read, the catalogue file mapped and
// checked against the key the program examined, its tables copied (copy_tables_p.h), and
// the outcome told by the exit status and, for a failure, a report on standard output.
#include "db/copy_helper.h"
#include "db/catalogue_file_p.h"
#include "db/copy_processes_p.h"
#include "db/copy_tables_p.h"
#include "db/db_error.h"
#include "db/jet_functions_p.h"
#include "db/sqlite_handle_p.h"
#include "platform/os_process.h"

#include <QFile>
#include <QRegularExpression>
#include <cstdio>
#include <sqlite3.h>

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

int runCopyHelper(const QStringList &arguments)
{
    using namespace detail;
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
