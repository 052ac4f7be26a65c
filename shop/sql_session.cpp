// The store's connection over QSQLITE or QPSQL. SQLite runs in WAL mode with a busy
// timeout, so the window's readers never wait on an import and two programs on one
// machine take turns writing; PostgreSQL is reached with a short connect timeout, so an
// unreachable server fails within seconds instead of hanging in libpq.
#include "shop/sql_session_p.h"

#include "platform/own_folders.h"
#include "shop/shop_error.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>

namespace shop::detail {

namespace {

// Any process's importers take this one advisory lock (the letters "SHOP").
constexpr qint64 kStoreLockKey = 0x53484f50;
constexpr int kBusyTimeoutMs = 10000;
constexpr int kConnectTimeoutSeconds = 3;

QString connectionName()
{
    static QAtomicInteger<quint64> next;
    return QStringLiteral("shop-store-%1").arg(next.fetchAndAddRelaxed(1));
}

void makeFolderOf(const StoreLocation &location)
{
    const QString folder = QFileInfo(location.path).absolutePath();
    if (QFileInfo(folder).isDir())
        return;
    const QString refusal = platform::MakeOwnFolder(folder);
    if (!refusal.isEmpty())
        raiseShopError(ShopErrc::Open,
                       QStringLiteral("The shop store \"%1\" cannot be made: %2").arg(location.path, refusal));
}

} // namespace

SqlSession::SqlSession(const StoreLocation &location) : m_location(location), m_name(connectionName())
{
    const QString driver = isServer() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    if (!QSqlDatabase::isDriverAvailable(driver))
        raiseShopError(ShopErrc::Open,
                       QStringLiteral("The shop store \"%1\" cannot be opened: Qt SQL's %2 driver is "
                                      "not installed (Debian package %3).")
                           .arg(location.describe(), driver,
                                isServer() ? QStringLiteral("libqt6sql6-psql") : QStringLiteral("libqt6sql6-sqlite")));
    if (!isServer())
        makeFolderOf(location);
    m_db = QSqlDatabase::addDatabase(driver, m_name);
    if (isServer()) {
        m_db.setDatabaseName(location.database);
        if (!location.host.isEmpty())
            m_db.setHostName(location.host);
        if (location.port >= 0)
            m_db.setPort(location.port);
        if (!location.user.isEmpty())
            m_db.setUserName(location.user);
        QString options = QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutSeconds);
        if (!location.options.isEmpty())
            options += u';' + location.options;
        m_db.setConnectOptions(options);
    } else {
        m_db.setDatabaseName(location.path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    }
    if (!m_db.open()) {
        const QString text = m_db.lastError().text();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        raiseShopError(ShopErrc::Open,
                       QStringLiteral("The shop store \"%1\" cannot be reached: %2").arg(location.describe(), text));
    }
    try {
        if (!isServer()) {
            // WAL is a property of the file: set once, kept by every later opener.
            QString mode;
            QSqlQuery query(m_db);
            if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
                raiseShopError(ShopErrc::Open, QStringLiteral("The shop store \"%1\" cannot be opened: %2")
                                                   .arg(location.path, query.lastError().databaseText()));
            if (query.next())
                mode = query.value(0).toString();
            query.finish();
            if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
                raiseShopError(ShopErrc::Open,
                               QStringLiteral("The shop store \"%1\" cannot be opened: its journal cannot be kept "
                                              "in WAL mode, which several programs at once need.")
                                   .arg(location.path));
        } else {
            run(QStringLiteral("SET client_min_messages TO warning"));
        }
    } catch (const ShopError &e) {
        m_prepared.clear();
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        // A file that is no SQLite database fails here, at its first statement.
        raiseShopError(ShopErrc::Open, QString::fromStdString(e.what()));
    }
}

SqlSession::~SqlSession()
{
    m_prepared.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

void SqlSession::fail(const QString &what, const QString &driverText) const
{
    raiseShopError(ShopErrc::Store,
                   QStringLiteral("The shop store \"%1\" failed %2: %3").arg(m_location.describe(), what, driverText));
}

void SqlSession::bindAndRun(QSqlQuery &query, const QString &sql, const QVariantList &values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values[i]);
    if (!query.exec())
        fail(QStringLiteral("at \"%1\"").arg(sql.left(60)), query.lastError().text());
}

void SqlSession::run(const QString &sql, const QVariantList &values)
{
    if (values.isEmpty()) {
        QSqlQuery query(m_db);
        if (!query.exec(sql))
            fail(QStringLiteral("at \"%1\"").arg(sql.left(60)), query.lastError().text());
        return;
    }
    prepared(sql, values).finish();
}

QSqlQuery &SqlSession::prepared(const QString &sql, const QVariantList &values)
{
    auto it = m_prepared.find(sql);
    if (it == m_prepared.end()) {
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            fail(QStringLiteral("at \"%1\"").arg(sql.left(60)), query.lastError().text());
        it = m_prepared.insert(sql, query);
    }
    it->finish();
    bindAndRun(*it, sql, values);
    return *it;
}

SqlSession::Transaction::Transaction(SqlSession &session) : m_session(session)
{
    if (session.isServer()) {
        session.run(QStringLiteral("BEGIN"));
        try {
            session.run(QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {kStoreLockKey});
        } catch (...) {
            QSqlQuery(session.m_db).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    } else {
        session.run(QStringLiteral("BEGIN IMMEDIATE"));
    }
}

SqlSession::Transaction::~Transaction()
{
    if (m_open)
        QSqlQuery(m_session.m_db).exec(QStringLiteral("ROLLBACK"));
}

void SqlSession::Transaction::commit()
{
    m_session.run(QStringLiteral("COMMIT"));
    m_open = false;
}

} // namespace shop::detail
