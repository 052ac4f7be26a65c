// Running statements on the copy. Three fences keep it query-only: the file is opened
// read-only, PRAGMA query_only is on, and an authorizer admits nothing but reading
// (SELECT, column reads, function calls), so even ATTACH or a PRAGMA is refused before
// it runs, with the layer's own message rather than SQLite's "not authorized".
#include "db/db_error.h"
#include "db/engine_p.h"
#include "db/jet_functions_p.h"
#include "db/jet_sql_p.h"
#include "db/number_text_p.h"
#include "db/sqlite_handle_p.h"

#include <QElapsedTimer>
#include <QFile>
#include <cstring>
#include <sqlite3.h>
#include <string>

namespace db::detail {

namespace {

int readOnlyAuthorizer(void *, int action, const char *, const char *, const char *, const char *)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE: return SQLITE_OK;
    default: return SQLITE_DENY;
    }
}

[[noreturn]] void refuseChange()
{
    raiseDbError(
        DbErrc::ReadOnly,
        QStringLiteral(
            "The catalogue is open for reading only: a statement that changes data or settings cannot be run."));
}

struct Deadline {
    QElapsedTimer clock;
    qint64 limitMs = 0;
    bool expired = false;
};

int checkDeadline(void *p)
{
    auto *d = static_cast<Deadline *>(p);
    if (d->limitMs > 0 && d->clock.elapsed() > d->limitMs)
        d->expired = true;
    return d->expired ? 1 : 0;
}

bool isPlainName(const QString &s)
{
    if (s.isEmpty() || s[0].isDigit())
        return false;
    for (QChar c : s)
        if (!(c.isLetterOrNumber() || c == u'_'))
            return false;
    return true;
}

// Jet names an unnamed expression ExprNNNN; SQLite would use its text, which after
// translation is not what the user wrote.
QString columnName(sqlite3_stmt *st, int i)
{
    const QString name = QString::fromUtf8(sqlite3_column_name(st, i));
    return isPlainName(name) ? name : QStringLiteral("Expr%1").arg(1000 + i);
}

FieldKind kindOfDeclared(const char *decl)
{
    const QByteArray d = QByteArray(decl).toUpper();
    if (d == "LONGTEXT")
        return FieldKind::LongText;
    if (d.contains("BLOB"))
        return FieldKind::Picture;
    if (d.contains("INT") || d == "REAL" || d == "NUMERIC")
        return FieldKind::Number;
    return FieldKind::Text;
}

} // namespace

Engine::Engine(const QString &sqlitePath, const QStringList &attached)
    : m_db(std::make_unique<SqliteHandle>(sqlitePath, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, DbErrc::Open,
                                          QStringLiteral("The catalogue's working copy cannot be opened")))
{
    sqlite3 *db = m_db->get();
    // Attached before the fences go up; they open read-only like the main file, and an
    // unqualified table name is looked up in each of them, so statements need no change.
    for (qsizetype i = 0; i < attached.size(); ++i) {
        Stmt st = m_db->prepare("ATTACH ?1 AS ?2");
        bool done = false;
        if (st) {
            bindText(st.get(), 1, attached[i]);
            bindText(st.get(), 2, QStringLiteral("jetpart%1").arg(i + 2));
            done = sqlite3_step(st.get()) == SQLITE_DONE;
        }
        if (!done)
            raiseDbError(DbErrc::Open, QStringLiteral("The catalogue's working copy \"%1\" cannot be opened: %2")
                                           .arg(attached[i], m_db->errorMessage()));
    }
    registerJetFunctions(db);
    // A double-quoted text must never fall back to being a string: it never reaches SQLite
    // as one (the translator makes literals), and a bracketed name that does not exist
    // must fail as a missing column.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    m_db->exec("PRAGMA query_only=1; PRAGMA cache_size=-32768");
    sqlite3_set_authorizer(db, readOnlyAuthorizer, nullptr);
}

Engine::~Engine() = default;

Stmt Engine::prepare(const QString &jetSql, const QString &filter)
{
    QString text = translateJetSql(jetSql);
    if (!filter.trimmed().isEmpty())
        text = QStringLiteral("SELECT * FROM (%1) WHERE %2").arg(text, translateJetSql(filter));
    const QByteArray sql = text.toUtf8();
    // Prepared here rather than through the handle: the rest after the statement matters.
    sqlite3_stmt *prepared = nullptr;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(m_db->get(), sql.constData(), int(sql.size()), &prepared, &tail);
    Stmt st(prepared);
    if (rc == SQLITE_AUTH)
        refuseChange();
    if (rc != SQLITE_OK)
        raiseDbError(DbErrc::Sql, m_db->errorMessage());
    if (!st)
        raiseDbError(DbErrc::Sql, QStringLiteral("The SQL statement is empty."));
    for (; tail && *tail; ++tail)
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n')
            raiseDbError(DbErrc::Sql, QStringLiteral("Characters found after end of SQL statement."));
    if (!sqlite3_stmt_readonly(st.get()))
        refuseChange();
    if (sqlite3_bind_parameter_count(st.get()) > 0)
        raiseDbError(DbErrc::Sql, QStringLiteral("No value given for one or more required parameters (%1).")
                                      .arg(QString::fromUtf8(sqlite3_bind_parameter_name(st.get(), 1))));
    return st;
}

void Engine::stepAll(sqlite3_stmt *st, int timeoutSeconds, const std::function<void()> &onRow)
{
    sqlite3 *db = m_db->get();
    Deadline deadline;
    deadline.limitMs = qint64(timeoutSeconds) * 1000;
    deadline.clock.start();
    sqlite3_progress_handler(db, 20000, checkDeadline, &deadline);
    // Taken down however the loop ends: a record handler may throw.
    struct HandlerOff {
        sqlite3 *db;
        ~HandlerOff() { sqlite3_progress_handler(db, 0, nullptr, nullptr); }
    } off{db};
    int step;
    while ((step = sqlite3_step(st)) == SQLITE_ROW)
        onRow();
    if (deadline.expired)
        raiseDbError(DbErrc::Sql,
                     QStringLiteral("Query timeout expired: the statement ran longer than %1 s and was stopped.")
                         .arg(timeoutSeconds));
    if (step != SQLITE_DONE)
        raiseDbError(DbErrc::Sql, m_db->errorMessage());
}

std::unique_ptr<ResultSet> Engine::run(const QString &jetSql, const QString &filter, int timeoutSeconds)
{
    const Stmt g = prepare(jetSql, filter);
    sqlite3_stmt *st = g.get();
    auto result = std::make_unique<ResultSet>();
    const int n = sqlite3_column_count(st);
    std::vector<bool> kindKnown(size_t(n), false);
    for (int i = 0; i < n; ++i) {
        ResultColumn col;
        col.name = columnName(st, i);
        if (const char *decl = sqlite3_column_decltype(st, i)) {
            col.kind = kindOfDeclared(decl);
            kindKnown[size_t(i)] = true;
        }
        result->columns.push_back(col);
    }

    stepAll(st, timeoutSeconds, [&] {
        std::vector<QVariant> row(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const int type = sqlite3_column_type(st, i);
            QVariant &v = row[size_t(i)];
            switch (type) {
            case SQLITE_INTEGER: v = QVariant(qint64(sqlite3_column_int64(st, i))); break;
            case SQLITE_FLOAT: v = QVariant(sqlite3_column_double(st, i)); break;
            case SQLITE_TEXT:
                v = QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                               sqlite3_column_bytes(st, i)));
                break;
            case SQLITE_BLOB: {
                const void *p = sqlite3_column_blob(st, i);
                v = QVariant(QByteArray(static_cast<const char *>(p), sqlite3_column_bytes(st, i)));
                break;
            }
            default: break;
            }
            if (!kindKnown[size_t(i)] && type != SQLITE_NULL) {
                result->columns[size_t(i)].kind = type == SQLITE_BLOB   ? FieldKind::Picture
                                                  : type == SQLITE_TEXT ? FieldKind::Text
                                                                        : FieldKind::Number;
                kindKnown[size_t(i)] = true;
            }
        }
        result->rows.push_back(std::move(row));
    });
    return result;
}

void Engine::stream(const QString &jetSql, const QString &filter, int timeoutSeconds,
                    const std::function<void(const QStringList &)> &onFields,
                    const std::function<void(RecordTexts &)> &onRecord)
{
    const Stmt g = prepare(jetSql, filter);
    sqlite3_stmt *st = g.get();
    const int n = sqlite3_column_count(st);
    QStringList names;
    for (int i = 0; i < n; ++i)
        names << columnName(st, i);
    onFields(names);
    // A value equal to the one above it in its column shares that one's text instead of
    // making its own: tables come grouped (a make's vehicles, a type's fitments), so most
    // repeats cost neither a conversion nor memory. Values compare as the engine holds
    // them: type and bytes.
    struct Above {
        int type = SQLITE_NULL;
        std::string bytes;
        std::optional<QString> text;
    };
    std::vector<Above> above(static_cast<size_t>(n));
    RecordTexts record;
    stepAll(st, timeoutSeconds, [&] {
        record.resize(size_t(n)); // the handler may have moved the last one out whole
        for (int i = 0; i < n; ++i) {
            const int type = sqlite3_column_type(st, i);
            std::optional<QString> &v = record[size_t(i)];
            if (type == SQLITE_NULL) {
                v.reset();
                continue;
            }
            qint64 whole = 0;
            double real = 0;
            const char *p = nullptr;
            size_t size = 0;
            switch (type) {
            case SQLITE_INTEGER:
                whole = sqlite3_column_int64(st, i);
                p = reinterpret_cast<const char *>(&whole);
                size = sizeof whole;
                break;
            case SQLITE_FLOAT:
                real = sqlite3_column_double(st, i);
                p = reinterpret_cast<const char *>(&real);
                size = sizeof real;
                break;
            case SQLITE_TEXT: p = reinterpret_cast<const char *>(sqlite3_column_text(st, i)); break;
            default: p = static_cast<const char *>(sqlite3_column_blob(st, i)); break;
            }
            if (type == SQLITE_TEXT || type == SQLITE_BLOB)
                size = size_t(sqlite3_column_bytes(st, i));
            Above &a = above[size_t(i)];
            if (a.type == type && a.bytes.size() == size && (size == 0 || std::memcmp(a.bytes.data(), p, size) == 0)) {
                v = a.text;
                continue;
            }
            switch (type) {
            case SQLITE_INTEGER: v = QString::number(whole); break;
            case SQLITE_FLOAT: v = formatNumber(real); break;
            case SQLITE_TEXT: v = QString::fromUtf8(p, qsizetype(size)); break;
            default: v = QString::fromLatin1(QByteArray(p, qsizetype(size)).toHex()); break;
            }
            a.type = type;
            a.bytes.assign(size ? p : "", size);
            a.text = v;
        }
        onRecord(record);
    });
}

} // namespace db::detail
