// The builder's files read through the program's own database layer: every value of the
// small catalogue as the fixture gives it, Null apart from the empty text, the password
// from --password-codes being the one the layer accepts, the rarer types as Access shows
// them, and a file without tables.
#include "tests/tools/catalogue_build_support.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/query.h"
#include "tests/common/test_support.h"
#include "tools/catalogue-build/jet_writer.h"

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
    c.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir + "/vc_korva.mdb"
                          + ";Jet OLEDB:Database Password=" + password + ";Jet OLEDB:System database=" + dir
                          + "/system.mdw");
    c.Open();
}

// How a value becomes text in the rows compared: as the engine holds it, or as the layer
// writes it out (AsString), which grids and jet-query show.
enum class AsText { Value, Shown };

// Every record of a statement, Null kept apart from the empty text.
std::vector<QStringList> rows(db::Connection &c, const QString &sql, AsText as = AsText::Value)
{
    db::Query q(c);
    q.AddSQL(sql);
    q.Open();
    std::vector<QStringList> out;
    for (; !q.Eof(); q.Next()) {
        QStringList row;
        for (int i = 0; i < q.FieldCount(); ++i)
            row << (q.IsNull(i) ? QString("<NULL>") : as == AsText::Shown ? q.AsString(i) : q.Value(i).toString());
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
    for (const char *table :
         {"CP_Veicoli", "CP_Veicoli_Rel_Korva_Master", "TabDistintaBatterie", "TabTechInfo", "Tab1riga"}) {
        const QString sql = QString("SELECT * FROM %1").arg(table);
        const auto got = rows(ours, sql);
        EXPECT_FALSE(got.empty()) << table;
        EXPECT_EQ(got, rows(theirs, sql)) << table;
    }
}

TEST(CatalogueBuildThroughDb, NullEmptyAndPasswordCodes)
{
    QTemporaryDir dir;
    writeFiles(dir.path() + "/src", {{"Vals.csv", "id:long,t:text(20),m:memo,d:double\n"
                                                  "1,,,\n"
                                                  "2,\"\",\"\",0\n"
                                                  "3,\"a\"\"b|c\r\nd\",\""
                                                      + QByteArray(5000, 'q') + "\",-1.25\n"}});
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

TEST(CatalogueBuildThroughDb, SingleDecimalAndGuidAsAccessShowsThem)
{
    QTemporaryDir dir;
    writeFiles(dir.path() + "/src",
               {{"Rare.csv", "id:long,s:single,\"d:decimal(10,3)\",g:guid,\"z:decimal(28,4)\",w:decimal(28)\n"
                             "1,1.1,-123.45,{8e39276a-bca8-4ac4-891e-49911d8438dd},999999999999999999999999.9999,7\n"
                             "2,,,,,\n"
                             "3,60.5,4.000,{00112233-4455-6677-8899-AABBCCDDEEFF},-0.0001,-9223372036854775808\n"
                             "4,0.3,0.001,{00000000-0000-0000-0000-000000000000},12.5,0\n"}});
    const RunResult r = runBuild({"--schema", "none", dir.path() + "/src", dir.path() + "/out"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    db::Connection c;
    open(c, dir.path() + "/out", defaultPassword());
    const struct {
        const char *sql;
        std::vector<QStringList> rows;
    } cases[] = {
        {"SELECT s, d, g, z, w FROM Rare ORDER BY id",
         {{"1.1", "-123.45", "{8E39276A-BCA8-4AC4-891E-49911D8438DD}", "999999999999999999999999.9999", "7"},
          {"<NULL>", "<NULL>", "<NULL>", "<NULL>", "<NULL>"},
          {"60.5", "4", "{00112233-4455-6677-8899-AABBCCDDEEFF}", "-0.0001", "-9223372036854775808"},
          {"0.3", "0.001", "{00000000-0000-0000-0000-000000000000}", "12.5", "0"}}},
        // Numbers compare and sort as numbers, a Single against the decimal literal a user types.
        {"SELECT id FROM Rare WHERE s = 1.1 OR s = 0.3 ORDER BY id", {{"1"}, {"4"}}},
        {"SELECT id FROM Rare WHERE d >= 0.001 AND d < 4.5 ORDER BY d DESC", {{"3"}, {"4"}}},
        {"SELECT id FROM Rare WHERE d IS NOT NULL ORDER BY d", {{"1"}, {"4"}, {"3"}}},
        {"SELECT s * 2, d + 1, typeof(d), typeof(w) FROM Rare WHERE id = 3", {{"121", "5", "integer", "integer"}}},
        {"SELECT id FROM Rare WHERE g = '{8E39276A-BCA8-4AC4-891E-49911D8438DD}'", {{"1"}}},
    };
    for (const auto &k : cases)
        EXPECT_EQ(rows(c, k.sql, AsText::Shown), k.rows) << k.sql;
}

TEST(CatalogueBuildThroughDb, AFileWithoutTablesOpens)
{
    QTemporaryDir dir;
    const QString mdb = dir.path() + "/empty.mdb";
    jet::Writer writer({u"", jet::dayNumber(2024, 1, 15)});
    writer.save(mdb.toStdString());
    db::Connection c;
    c.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb
                          + ";Jet OLEDB:System database=" + testsupport::fixture("catalogue-small/system.mdw"));
    c.Open();
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(rows(c, "SELECT 1 + 1"), std::vector<QStringList>{{"2"}});
    db::Query q(c);
    q.AddSQL("SELECT * FROM TabTechInfo");
    testsupport::expectThrowText<db::DbError>([&] { q.Open(); }, "no such table: TabTechInfo");
}
