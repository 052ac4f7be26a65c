// Shared helpers of the database layer's tests; the working copies of the catalogues go
// to the test run's copy folder (testsupport::copyCacheDir), never to the user's cache.
#include "tests/db/db_test_support.h"
#include "tests/common/test_support.h"

#include <QFile>
#include <gtest/gtest.h>

namespace dbtest {

namespace {

// Run by hand, without ctest's environment, the tests' copies go to a scratch folder.
class ScratchCache : public ::testing::Environment {
public:
    void SetUp() override { qputenv("CATALOG_CACHE_DIR", QFile::encodeName(testsupport::copyCacheDir())); }
};

[[maybe_unused]] const auto *const kScratch = ::testing::AddGlobalTestEnvironment(new ScratchCache);

} // namespace

QString programPassword()
{
    QString p;
    for (char16_t c = 1; c <= 20; ++c)
        p += QChar(c);
    return p;
}

QString jetConnectionString(const QString &mdb, const QString &password, const QString &workgroup)
{
    QString cs = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Persist Security Info=False;"
                                "Jet OLEDB:Database Password='%2'")
                     .arg(mdb, QString(password).replace(u'\'', QStringLiteral("''")));
    if (!workgroup.isEmpty())
        cs += QStringLiteral(";Jet OLEDB:System database=\"%1\"").arg(workgroup);
    return cs;
}

QString smallCatalogue() { return testsupport::fixture(QStringLiteral("catalogue-small/vc_korva.mdb")); }
QString smallWorkgroup() { return testsupport::fixture(QStringLiteral("catalogue-small/system.mdw")); }

std::unique_ptr<db::Connection> openCatalogue(const QString &mdb, const QString &workgroup)
{
    auto c = std::make_unique<db::Connection>();
    c->setConnectionString(jetConnectionString(mdb, programPassword(), workgroup));
    c->Open();
    return c;
}

std::unique_ptr<db::Connection> openSmall() { return openCatalogue(smallCatalogue(), smallWorkgroup()); }

QStringList rowsOf(db::Connection &connection, const QString &sql)
{
    db::Query q(connection);
    q.ClearSQL();
    q.AddSQL(sql);
    q.Open();
    QStringList rows;
    for (q.First(); !q.Eof(); q.Next()) {
        QStringList fields;
        for (int i = 0; i < q.FieldCount(); ++i)
            fields << (q.IsNull(i) ? QStringLiteral("<NULL>") : q.AsString(i));
        rows << fields.join(u'|');
    }
    return rows;
}

} // namespace dbtest
