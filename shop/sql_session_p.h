// One connection to a store through Qt SQL, private to shop/: statements with bound
// values, raising ShopError with the store's name and the driver's words, prepared
// statements kept for the connection's life, and transactions that take the store's lock
// where the engine needs one asked for.
#pragma once

#include "shop/store_location.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace shop::detail {

class SqlSession {
public:
    // Opens the connection (a SQLite file's folder is made when missing). Raises
    // ShopError (ShopErrc::Open) when the driver is missing or the store cannot be reached.
    explicit SqlSession(const StoreLocation &location);
    ~SqlSession();
    SqlSession(const SqlSession &) = delete;
    SqlSession &operator=(const SqlSession &) = delete;

    const StoreLocation &location() const { return m_location; }
    bool isServer() const { return m_location.isServer(); }

    // Runs `sql` with `values` bound to its '?' in order (a statement without values is
    // sent as it is: PostgreSQL prepares no BEGIN or SET). Raises ShopError (ShopErrc::Store).
    void run(const QString &sql, const QVariantList &values = {});
    // Runs a query and hands each row to `row`, then lets the statement go: a statement
    // left open would hold SQLite's snapshot, and the answers would never see a later
    // import. The statement is prepared once for this connection.
    template <class Row>
    void each(const QString &sql, const QVariantList &values, Row row)
    {
        QSqlQuery &query = prepared(sql, values);
        while (query.next())
            row(query);
        query.finish();
    }

    // A transaction that also serialises against every other writer of the store: on
    // SQLite the file's write lock taken at once (BEGIN IMMEDIATE, waiting out the busy
    // timeout), on PostgreSQL a transaction-scoped advisory lock every importer takes.
    // Rolled back when it goes out of scope uncommitted.
    class Transaction {
    public:
        explicit Transaction(SqlSession &session);
        ~Transaction();
        Transaction(const Transaction &) = delete;
        Transaction &operator=(const Transaction &) = delete;
        void commit();

    private:
        SqlSession &m_session;
        bool m_open = true;
    };

    [[noreturn]] void fail(const QString &what, const QString &driverText) const;

private:
    QSqlQuery &prepared(const QString &sql, const QVariantList &values);
    void bindAndRun(QSqlQuery &query, const QString &sql, const QVariantList &values);

    StoreLocation m_location;
    QString m_name;
    QSqlDatabase m_db;
    QHash<QString, QSqlQuery> m_prepared;
};

} // namespace shop::detail
