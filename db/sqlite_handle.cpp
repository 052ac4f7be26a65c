// SQLite's handles wrapped for the database layer.
#include "db/sqlite_handle_p.h"

#include <QFile>
#include <sqlite3.h>

namespace db::detail {

void StmtDeleter::operator()(sqlite3_stmt *st) const { sqlite3_finalize(st); }

SqliteHandle::SqliteHandle(const QString &path, int flags, DbErrc code, const QString &what)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        const QString why = errorMessage();
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        raiseDbError(code, QStringLiteral("%1: %2").arg(what, why));
    }
}

SqliteHandle::~SqliteHandle() { sqlite3_close_v2(m_db); }

QString SqliteHandle::errorMessage() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
}

bool SqliteHandle::exec(QByteArrayView sql)
{
    const QByteArray text = sql.toByteArray(); // sqlite3_exec needs the terminating zero
    return sqlite3_exec(m_db, text.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

Stmt SqliteHandle::prepare(QByteArrayView sql)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.data(), int(sql.size()), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return nullptr;
    }
    return Stmt(st);
}

std::unique_ptr<SqliteHandle> openIfPossible(const QString &path, int flags)
{
    try {
        return std::make_unique<SqliteHandle>(path, flags, DbErrc::Open, QString());
    } catch (const DbError &) {
        return nullptr; // the caller only asks whether the file is usable
    }
}

void bindText(sqlite3_stmt *st, int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(st, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString quotedName(const QString &name) { return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"'; }

QString columnText(sqlite3_stmt *st, int index)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, index)),
                             sqlite3_column_bytes(st, index));
}

} // namespace db::detail
