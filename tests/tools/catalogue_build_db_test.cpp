// The builder's files read through the program's own database layer: every value of the
// small catalogue as the fixture gives it, Null apart from the empty text, and the
// password from --password-codes being the one the layer accepts.
#include "tests/tools/catalogue_build_support.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/query.h"
#include "tests/common/test_support.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace buildtest;

namespace {

const QString kSmallSources = smallCatalogueSources();

QString defaultPassword()
{
    QString p;
    for (char16_t c = 1; c <= 20; ++c)
        p += QChar(c);
    return p;
}

void open(db::Connection &c, const QString &dir, const QString &password)
{
    c.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir + "/vc_korva.mdb" +
                          ";Jet OLEDB:Database Password=" + password + ";Jet OLEDB:System database=" + dir +
                          "/system.mdw");
    c.Open();
}

// Every record of a statement, Null kept apart from the empty text.
std::vector<QStringList> rows(db::Connection &c, const QString &sql)
{
    db::Query q(c);
    q.AddSQL(sql);
    q.Open();
    std::vector<QStringList> out;
    for (; !q.Eof(); q.Next()) {
        QStringList row;
        for (int i = 0; i < q.FieldCount(); ++i)
            row << (q.IsNull(i) ? QString("<NULL>") : q.Value(i).toString());
        out.push_back(row);
    }
    return out;
}

} // namespace

TEST(CatalogueBuildThroughDb, SmallCatalogueGivesTheFixturesValues)
{
    QTemporaryDir out;
    ASSERT_EQ(runBuild({kSmallSources, out.path()}).exitCode, 0);
    db::Connection ours;
    open(ours, out.path(), defaultPassword());
    db::Connection theirs;
    open(theirs, testsupport::fixture("catalogue-small"), defaultPassword());
    for (const char *table : {"CP_Veicoli", "CP_Veicoli_Rel_Korva_Master", "TabDistintaBatterie", "TabTechInfo", "Tab1riga"}) {
        const QString sql = QString("SELECT * FROM %1").arg(table);
        const auto got = rows(ours, sql);
        EXPECT_FALSE(got.empty()) << table;
        EXPECT_EQ(got, rows(theirs, sql)) << table;
    }
}

TEST(CatalogueBuildThroughDb, NullEmptyAndPasswordCodes)
{
    QTemporaryDir dir;
    writeFiles(dir.path() + "/src",
               {{"Vals.csv", "id:long,t:text(20),m:memo,d:double\n"
                             "1,,,\n"
                             "2,\"\",\"\",0\n"
                             "3,\"a\"\"b|c\r\nd\",\"" + QByteArray(5000, 'q') + "\",-1.25\n"}});
    ASSERT_EQ(runBuild({"--schema", "none", "--password-codes", "65,0x,66", dir.path() + "/src", dir.path() + "/out"})
                  .exitCode,
              2);
    const RunResult r =
        runBuild({"--schema", "none", "--password-codes", "65,224,8364", dir.path() + "/src", dir.path() + "/out"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    db::Connection wrong;
    testsupport::expectThrowText<db::DbError>([&] { open(wrong, dir.path() + "/out", defaultPassword()); },
                                              "Not a valid password");
    db::Connection c;
    open(c, dir.path() + "/out", QString("A") + QChar(224) + QChar(8364));
    const auto got = rows(c, "SELECT id, t, m, d FROM Vals ORDER BY id");
    const std::vector<QStringList> want = {
        {"1", "<NULL>", "<NULL>", "<NULL>"},
        {"2", "", "", "0"},
        {"3", "a\"b|c\r\nd", QString(5000, 'q'), "-1.25"},
    };
    EXPECT_EQ(got, want);
}

TEST(CatalogueBuildThroughDb, TextKeysDifferingInCaseAndAccentsAreFoundTogether)
{
    // Codes equal under the General order but not byte by byte, and codes whose General
    // order is not their byte order ("a1" < "B2" < "b3"): a lookup goes down the copy's
    // index on codice, which must hold them in the General order to find every one.
    const QStringList codes = {"ks044", "KS044", "Ks044", "a1", "B2", "è3", "E3", "z9", "Z9", "b2"};
    QByteArray csv = "ktypnr:long,codice:text(30)\n";
    for (int i = 0; i < 300; ++i)
        csv += QByteArray::number(i) + ",\"" + codes[i % codes.size()].toUtf8() + "\"\n";
    QTemporaryDir dir;
    writeFiles(dir.path() + "/src", {{"Fit.csv", csv}});
    const RunResult r = runBuild({"--schema", "none", dir.path() + "/src", dir.path() + "/out"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    db::Connection c;
    open(c, dir.path() + "/out", defaultPassword());
    for (const QString asked : {"KS044", "b2", "e3", "A1", "z9"}) {
        SCOPED_TRACE(asked.toStdString());
        std::vector<QStringList> want;
        for (int i = 0; i < 300; ++i) {
            const QString code = codes[i % codes.size()];
            if (QString(code).replace(QChar(0xE8), u'e').toLower() == asked.toLower())
                want.push_back({QString::number(i)});
        }
        ASSERT_FALSE(want.empty());
        EXPECT_EQ(rows(c, "SELECT ktypnr FROM Fit WHERE codice = \"" + asked + "\""), want);
    }
}
