// Writing the copy through SQLite: its schema, the rows of the comparison path, the
// source key and the statistics; the page writer does the rest between two openings.
#include "db/copy_database_p.h"
#include "db/jet_functions_p.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace db::detail {

CopyDatabase::CopyDatabase(const QString &path, Mode mode)
{
    // sqlite3_open_v2 ignores SQLITE_OPEN_EXCLUSIVE: a file already there would be opened
    // and added to, so its absence is checked here.
    if (mode == Mode::Create && QFileInfo::exists(path))
        raiseDbError(DbErrc::Format,
                     QStringLiteral("The catalogue could not be copied for reading (the working copy \"%1\" "
                                    "already exists).")
                         .arg(path));
    const int create = mode == Mode::Create ? SQLITE_OPEN_CREATE : 0;
    m_db = std::make_unique<SqliteHandle>(
        path, SQLITE_OPEN_READWRITE | create | SQLITE_OPEN_NOMUTEX /* one thread writes it */, DbErrc::Format,
        QStringLiteral("The catalogue could not be copied for reading (cannot %1 the working copy \"%2\")")
            .arg(mode == Mode::Create ? QStringLiteral("create") : QStringLiteral("open"), path));
    registerJetFunctions(m_db->get());
    // What the page writer lays out: UTF-8 texts, no auto-vacuum pointer maps.
    if (mode == Mode::Create)
        exec(QStringLiteral("PRAGMA auto_vacuum=NONE; PRAGMA encoding='UTF-8'"));
    exec(QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-65536;"
                        "PRAGMA locking_mode=EXCLUSIVE; BEGIN"));
}

void CopyDatabase::exec(const QString &sql)
{
    if (!m_db->exec(sql.toUtf8()))
        fail(QStringLiteral("while running %1").arg(sql.left(200)));
}

Stmt CopyDatabase::prepare(const QString &sql)
{
    Stmt st = m_db->prepare(sql.toUtf8());
    if (!st)
        fail(QStringLiteral("while preparing %1").arg(sql.left(200)));
    return st;
}

uint32_t CopyDatabase::rootPage(const QString &name)
{
    Stmt st = prepare(QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE name = ?"));
    bindText(st.get(), 1, name);
    if (sqlite3_step(st.get()) != SQLITE_ROW)
        fail(QStringLiteral("while looking for the pages of %1").arg(name));
    return uint32_t(sqlite3_column_int64(st.get(), 0));
}

void CopyDatabase::fail(const QString &what)
{
    raiseDbError(
        DbErrc::Format,
        QStringLiteral("The catalogue could not be copied for reading (%1): %2").arg(what, m_db->errorMessage()));
}

} // namespace db::detail
