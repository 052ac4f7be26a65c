// The shop tests' engines and files.
#include "tests/shop/shop_test_support.h"

#include "shop/store_location.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace shoptest {

void EngineTest::SetUp()
{
    ASSERT_TRUE(scratch.isValid());
    if (GetParam() == Engine::Postgres) {
        SHOP_PG_SERVER(pg);
        server = pg;
    }
    database = newStore();
}

QString EngineTest::newStore()
{
    if (GetParam() == Engine::Postgres)
        return server->newDatabase();
    return scratch.filePath(QStringLiteral("store%1/shop.sqlite").arg(++m_files));
}

QString EngineTest::write(const QString &name, const QByteArray &bytes) const
{
    const QString path = scratch.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return path;
}

QVariant rawSql(const QString &database, const QString &sql)
{
    const shop::StoreLocation where = shop::StoreLocation::parse(database);
    QVariant result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(where.isServer() ? "QPSQL" : "QSQLITE", "raw");
        if (where.isServer()) {
            db.setHostName(where.host);
            db.setUserName(where.user);
            db.setDatabaseName(where.database);
        } else
            db.setDatabaseName(where.path);
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        if (q.next())
            result = q.value(0);
    }
    QSqlDatabase::removeDatabase("raw");
    return result;
}

std::string engineName(const ::testing::TestParamInfo<Engine> &info)
{
    return info.param == Engine::Sqlite ? "sqlite" : "postgresql";
}

QByteArray tillExport(int rows, char separator)
{
    QByteArray csv = QByteArray("codice") + separator + "giacenza" + separator + "prezzo\n";
    for (int i = 1; i <= rows; ++i)
        csv += "C" + QByteArray::number(i).rightJustified(5, '0') + separator + QByteArray::number(i) + separator + "\""
               + QByteArray::number(i % 200) + ",50\"\n";
    return csv;
}

} // namespace shoptest
