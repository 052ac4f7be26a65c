// The shop tests' engines and files.
#include "tests/shop/shop_test_support.h"

#include <QFile>

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
