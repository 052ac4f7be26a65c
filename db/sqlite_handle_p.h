// The SQLite connection and statement handles every file of the database layer works
// through: closed and finalized on every path, errors in the layer's own terms.
#pragma once

#include "db/db_error.h"

#include <QByteArrayView>
#include <QString>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace db::detail {

struct StmtDeleter {
    void operator()(sqlite3_stmt *st) const;
};
// A prepared statement, finalized when it goes.
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

class SqliteHandle {
public:
    // Opens the database at `path` with SQLite's open `flags`. On failure raises
    // DbError(`code`) with `what` and SQLite's reason, as "<what>: <reason>".
    SqliteHandle(const QString &path, int flags, DbErrc code, const QString &what);
    ~SqliteHandle();
    SqliteHandle(const SqliteHandle &) = delete;
    SqliteHandle &operator=(const SqliteHandle &) = delete;

    // The handle, for the calls of SQLite's own interface.
    sqlite3 *get() const { return m_db; }
    // SQLite's message for the last failed call.
    QString errorMessage() const;
    // Runs `sql` (statements without results); false when one fails.
    bool exec(QByteArrayView sql);
    // Prepares `sql`; null when it fails (errorMessage() says why).
    Stmt prepare(QByteArrayView sql);

private:
    sqlite3 *m_db = nullptr;
};

// Opens the database at `path` with `flags` when it can; null otherwise. For the checks
// that only ask whether a file is a usable copy.
std::unique_ptr<SqliteHandle> openIfPossible(const QString &path, int flags);

// Binds `text` as UTF-8 to parameter `index` of `st` (SQLite keeps its own copy).
void bindText(sqlite3_stmt *st, int index, const QString &text);

// `name` quoted as an SQL identifier.
QString quotedName(const QString &name);

// Column `index` of the current row of `st` as text; the empty text for Null.
QString columnText(sqlite3_stmt *st, int index);

} // namespace db::detail
