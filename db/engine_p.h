// The SQL engine behind an open Jet connection: a read-only SQLite copy of the catalogue.
#pragma once

#include "db/query.h"
#include "db/sqlite_handle_p.h"

#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace db::detail {

struct ResultColumn {
    QString name;
    FieldKind kind = FieldKind::Text;
};

// A whole result, fetched at once (the client-side cursor: exact count, free movement).
struct ResultSet {
    std::vector<ResultColumn> columns;
    std::vector<std::vector<QVariant>> rows; // a Null is an invalid QVariant
};

class Engine {
public:
    // Opens the copy at `sqlitePath` for reading only, with the databases at `attached`
    // (the rest of the copy's tables) beside it; raises DbError(Open) on failure.
    explicit Engine(const QString &sqlitePath, const QStringList &attached = {});
    ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    // Translates the Jet statement, runs it and fetches every record. Raises DbError:
    // Sql for errors of the statement (the engine's text), ReadOnly for a statement that
    // would change anything, Sql when it runs longer than `timeoutSeconds` (0: no limit).
    // A non-empty `filter` (a Jet condition) keeps only the records it holds for.
    std::unique_ptr<ResultSet> run(const QString &jetSql, const QString &filter, int timeoutSeconds);

    // The same statement run the same way, but nothing is kept: `onFields` gets the field
    // names, then `onRecord` each record as it is read, its values as Query::AsString
    // gives them and Null as none.
    void stream(const QString &jetSql, const QString &filter, int timeoutSeconds,
                const std::function<void(const QStringList &)> &onFields,
                const std::function<void(RecordTexts &)> &onRecord);

private:
    // The translated statement, prepared; raises DbError for anything but one statement
    // that only reads.
    Stmt prepare(const QString &jetSql, const QString &filter);
    // Steps `st` to its end, calling `onRow` at each record, within the time-out.
    void stepAll(sqlite3_stmt *st, int timeoutSeconds, const std::function<void()> &onRow);

    std::unique_ptr<SqliteHandle> m_db;
};

} // namespace db::detail
