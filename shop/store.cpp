// The store's statements. Rows go in as multi-row INSERTs of up to kBatchRows rows each
// (one round trip per batch, not per row, on either engine), through statements prepared
// once per batch size.
#include "shop/store.h"

#include "shop/shop_error.h"
#include "shop/sql_session_p.h"
#include "shop/store_schema_p.h"

#include <QSqlQuery>
#include <QVariant>

namespace shop {

using detail::SqlSession;

namespace {

constexpr qsizetype kBatchRows = 400;
const QChar kShelfSeparator = u'\n';

QString insertStatement(const QString &table, const QStringList &columns, qsizetype rows)
{
    const QString one = u'(' + QStringList(columns.size(), QStringLiteral("?")).join(u',') + u')';
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(table, columns.join(u','), QStringList(rows, one).join(u','));
}

// Inserts `rows` (each as many values as `columns`) into `table` in batches.
void insertRows(SqlSession &s, const QString &table, const QStringList &columns, const std::vector<QVariantList> &rows)
{
    QVariantList values;
    for (size_t start = 0; start < rows.size(); start += size_t(kBatchRows)) {
        const size_t end = std::min(rows.size(), start + size_t(kBatchRows));
        values.clear();
        for (size_t i = start; i < end; ++i)
            values += rows[i];
        // Each distinct batch size is its own prepared statement: at most two per import.
        s.each(insertStatement(table, columns, qsizetype(end - start)), values, [](const QSqlQuery &) {});
    }
}

// A text column is NOT NULL: Qt binds an empty QString that was never given characters
// as NULL.
QString text(const QString &s) { return s.isNull() ? QStringLiteral("") : s; }

QVariant optionalCents(const std::optional<qint64> &cents)
{
    return cents ? QVariant(qlonglong(*cents)) : QVariant(QMetaType::fromType<qlonglong>());
}

StockEntry entryFrom(const QSqlQuery &q, int first)
{
    StockEntry e;
    e.code = q.value(first).toString();
    e.quantity = q.value(first + 1).toInt();
    if (!q.value(first + 2).isNull())
        e.priceCents = q.value(first + 2).toLongLong();
    const QString shelves = q.value(first + 3).toString();
    if (!shelves.isEmpty())
        e.shelves = shelves.split(kShelfSeparator);
    return e;
}

QDateTime fromMs(const QVariant &v) { return QDateTime::fromMSecsSinceEpoch(v.toLongLong(), Qt::UTC); }

} // namespace

QString NormalCode(const QString &code) { return code.trimmed().toUpper(); }

Store::Store(const QString &database) : Store(StoreLocation::parse(database)) {}

Store::Store(const StoreLocation &location) : m_session(std::make_unique<SqlSession>(location))
{
    detail::EnsureSchema(*m_session);
}

Store::~Store() = default;

const StoreLocation &Store::location() const { return m_session->location(); }

bool Store::replaceStock(const StockImport &import, const std::vector<StockEntry> &entries, bool unlessSameContent)
{
    SqlSession::Transaction transaction(*m_session);
    if (unlessSameContent) {
        bool same = false;
        m_session->each(QStringLiteral("SELECT 1 FROM stock_import WHERE branch = ? AND content_hash = ?"),
                        {import.branch, QString::fromLatin1(import.contentHash)},
                        [&](const QSqlQuery &) { same = true; });
        if (same)
            return false;
    }
    m_session->run(QStringLiteral("DELETE FROM stock WHERE branch = ?"), {import.branch});
    std::vector<QVariantList> rows;
    rows.reserve(entries.size());
    for (const StockEntry &e : entries)
        rows.push_back(
            {import.branch, e.code, e.quantity, optionalCents(e.priceCents), text(e.shelves.join(kShelfSeparator))});
    insertRows(*m_session, QStringLiteral("stock"), detail::DataTables()[1].columns, rows);
    m_session->run(
        QStringLiteral("INSERT INTO stock_import (branch, imported_at, as_of, source, content_hash, row_count)"
                       " VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (branch) DO UPDATE SET"
                       " imported_at = excluded.imported_at, as_of = excluded.as_of,"
                       " source = excluded.source, content_hash = excluded.content_hash,"
                       " row_count = excluded.row_count"),
        {import.branch, qlonglong(import.importedAt.toMSecsSinceEpoch()), qlonglong(import.asOf.toMSecsSinceEpoch()),
         import.source, QString::fromLatin1(import.contentHash), import.rowCount});
    transaction.commit();
    return true;
}

std::vector<StockImport> Store::imports()
{
    std::vector<StockImport> result;
    m_session->each(QStringLiteral("SELECT branch, imported_at, as_of, source, content_hash, row_count"
                                   " FROM stock_import ORDER BY branch"),
                    {}, [&](const QSqlQuery &q) {
                        result.push_back({q.value(0).toString(), fromMs(q.value(1)), fromMs(q.value(2)),
                                          q.value(3).toString(), q.value(4).toString().toLatin1(), q.value(5).toInt()});
                    });
    return result;
}

std::vector<BranchEntry> Store::stockOf(const QString &code)
{
    std::vector<BranchEntry> result;
    m_session->each(QStringLiteral("SELECT branch, code, quantity, price_cents, shelves FROM stock"
                                   " WHERE code = ? ORDER BY branch"),
                    {NormalCode(code)}, [&](const QSqlQuery &q) {
                        result.push_back({q.value(0).toString(), entryFrom(q, 1)});
                    });
    return result;
}

std::vector<BranchEntry> Store::allStock()
{
    std::vector<BranchEntry> result;
    m_session->each(QStringLiteral("SELECT branch, code, quantity, price_cents, shelves FROM stock"
                                   " ORDER BY branch, code"),
                    {}, [&](const QSqlQuery &q) {
                        result.push_back({q.value(0).toString(), entryFrom(q, 1)});
                    });
    return result;
}

QHash<QString, int> Store::quantities(const QString &branch)
{
    QHash<QString, int> result;
    m_session->each(QStringLiteral("SELECT code, quantity FROM stock WHERE branch = ? AND quantity > 0"), {branch},
                    [&](const QSqlQuery &q) { result.insert(q.value(0).toString(), q.value(1).toInt()); });
    return result;
}

namespace {

bool holdsData(SqlSession &s)
{
    bool any = false;
    for (const detail::DataTable &table : detail::DataTables())
        s.each(QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(table.name), {}, [&](const QSqlQuery &) { any = true; });
    return any;
}

} // namespace

bool Store::isEmpty() { return !holdsData(*m_session); }

void Store::copyInto(Store &target)
{
    SqlSession &to = *target.m_session;
    SqlSession::Transaction transaction(to);
    if (holdsData(to))
        raiseShopError(ShopErrc::Usage,
                       QStringLiteral("The shop store \"%1\" already holds data; a copy goes only into an empty store, "
                                      "so that two shops' data never mix. Nothing was copied.")
                           .arg(to.location().describe()));
    // The source is read in one snapshot, so an import there during the copy is either
    // wholly in it or wholly out.
    m_session->run(m_session->isServer() ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ")
                                         : QStringLiteral("BEGIN"));
    try {
        for (const detail::DataTable &table : detail::DataTables()) {
            std::vector<QVariantList> rows;
            m_session->each(QStringLiteral("SELECT %1 FROM %2").arg(table.columns.join(u','), table.name), {},
                            [&](const QSqlQuery &q) {
                                QVariantList row;
                                for (int i = 0; i < table.columns.size(); ++i)
                                    row << q.value(i);
                                rows.push_back(row);
                            });
            insertRows(to, table.name, table.columns, rows);
        }
    } catch (...) {
        m_session->run(QStringLiteral("ROLLBACK"));
        throw;
    }
    m_session->run(QStringLiteral("COMMIT"));
    transaction.commit();
}

} // namespace shop
