// The catalogue builder's files read back: the small catalogue against the fixture made
// by an independent tool, hostile values and long values of every storage kind, a table
// over many pages, identical bytes from identical sources, and the password in the header.
#include "tests/tools/catalogue_build_support.h"

#include "tests/common/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace buildtest;

namespace {

const QString kSmallSources = smallCatalogueSources();
const QStringList kCatalogueTables{"CP_Veicoli", "CP_Veicoli_Rel_Korva_Master", "TabDistintaBatterie", "TabTechInfo",
                                   "Tab1riga"};

QByteArray csvQuoted(const QString &text)
{
    QByteArray b = text.toUtf8();
    b.replace('"', "\"\"");
    return '"' + b + '"';
}

} // namespace

TEST(CatalogueBuild, SmallCatalogueReadsLikeTheFixture)
{
    QTemporaryDir out;
    const RunResult r = runBuild({"--date", "2004-06-05", kSmallSources, out.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString mdb = out.path() + "/vc_korva.mdb";
    const QString fixture = testsupport::fixture("catalogue-small/vc_korva.mdb");
    QStringList sorted = kCatalogueTables;
    sorted.sort();
    QStringList listed = mdbTables(mdb);
    listed.sort();
    EXPECT_EQ(listed, sorted);
    for (const QString &table : kCatalogueTables) {
        QString err;
        const auto ours = mdbExport(mdb, table, &err);
        EXPECT_EQ(err, "") << table.toStdString();
        EXPECT_EQ(ours, mdbExport(fixture, table)) << table.toStdString();
    }
    EXPECT_EQ(structureFault(mdb), "");

    // The password is masked with the integer part of the date, which both files share.
    const QByteArray header = readFile(mdb).left(0x100);
    EXPECT_EQ(header.mid(0x42, 40).toHex(), readFile(fixture).mid(0x42, 40).toHex());
    EXPECT_EQ(header.left(0x72), readFile(fixture).left(0x72));

    const QString mdw = out.path() + "/system.mdw";
    EXPECT_EQ(mdbTables(mdw), QStringList());
    EXPECT_EQ(mdbTables(mdw, true), QStringList({"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"}));
    EXPECT_EQ(structureFault(mdw), "");
    // No password: the 40 bytes hold the date mask alone, as in the fixture's workgroup file.
    EXPECT_EQ(readFile(mdw).mid(0x42, 40), readFile(testsupport::fixture("catalogue-small/system.mdw")).mid(0x42, 40));
}

TEST(CatalogueBuild, HostileValuesReadBackUnchanged)
{
    struct Case {
        const char *name;
        QByteArray csv;   // the fields of one source row after the id
        QStringList want; // what mdb-export shows for them
    };
    const QString latin255 = QString(255, QChar(0xE9));
    const QString cyrillic255 = QString(255, QChar(0x416));
    auto memo = [](int n, QChar c) { return QString(n, c); };
    const QString mixed = QString("ab\xE2\x82\xAC\r\n").repeated(4000); // 20,000 characters, not Latin-1
    const std::vector<Case> cases = {
        {"quotes and bar", R"("say ""hi"" | x",-1,1,1)", {"say \"hi\" | x", "-1", "1", "1"}},
        {"line breaks", "\"a\r\nb\nc\",0,0,0", {"a\r\nb\nc", "0", "0", "0"}},
        {"accents", csvQuoted("Città Più Falò"), {"Città Più Falò"}},
        {"null and empty", ",,,", {"<NULL>", "<NULL>", "<NULL>", "0"}},
        // libmdb shows a zero-length text like Null; the db layer test tells them apart.
        {"empty text", "\"\",,,", {"<NULL>", "<NULL>", "<NULL>", "0"}},
        {"Latin-1 at the size", csvQuoted(latin255), {latin255}},
        {"Cyrillic at the size", csvQuoted(cyrillic255), {cyrillic255}},
        {"two characters", "\"ab\"", {"ab"}},
        {"leading blanks kept", "\"  x  \"", {"  x  "}},
        {"bool words", ",,,TRUE", {"<NULL>", "<NULL>", "<NULL>", "1"}},
        {"bool minus one", ",,,-1", {"<NULL>", "<NULL>", "<NULL>", "1"}},
        {"bool false word", ",,,False", {"<NULL>", "<NULL>", "<NULL>", "0"}},
        {"int limits", ",-32768,255,0", {"<NULL>", "-32768", "255", "0"}},
        {"int other limit", ",32767,0,1", {"<NULL>", "32767", "0", "1"}},
    };
    // Memo and number cases go in their own columns so each row states one thing.
    struct Other {
        const char *name;
        QByteArray csv; // memo,double,long,datetime
        QStringList want;
    };
    const std::vector<Other> others = {
        {"inline memo at 64 bytes", csvQuoted(memo(62, 'a')) + ",0,0,", {memo(62, 'a'), "0", "0", "<NULL>"}},
        {"memo on one page row",
         csvQuoted(memo(63, 'a')) + ",-0.5,-2147483648,1899-12-30",
         {memo(63, 'a'), "-0.5", "-2147483648", "1899-12-30 00:00:00"}},
        {"memo filling one row",
         csvQuoted(memo(2038, QChar(0x3A9))) + ",1e300,2147483647,2026-12-09 18:00:00",
         {memo(2038, QChar(0x3A9)), "1e+300", "2147483647", "2026-12-09 18:00:00"}},
        {"memo chained",
         csvQuoted(memo(2039, QChar(0x3A9))) + ",123456.789,7,2000-02-29T23:59:59",
         {memo(2039, QChar(0x3A9)), "123456.789", "7", "2000-02-29 23:59:59"}},
        {"memo compressed at 1024", csvQuoted(memo(1024, 'z')) + ",0.1,0,", {memo(1024, 'z'), "0.1", "0", "<NULL>"}},
        {"memo plain above 1024", csvQuoted(memo(1025, 'z')) + ",+2.5,+3,", {memo(1025, 'z'), "2.5", "3", "<NULL>"}},
        {"memo of 20000 characters", csvQuoted(mixed) + ",,,", {mixed, "<NULL>", "<NULL>", "<NULL>"}},
        {"empty memo", "\"\",,,", {"<NULL>", "<NULL>", "<NULL>", "<NULL>"}},
    };

    QByteArray first = "id:long,t:text(255),i:int,b:byte,f:bool\r\n";
    QByteArray second = "id:long,m:memo,d:double,l:long,w:datetime\r\n";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        QByteArray fields = cases[i].csv;
        // Short cases name only the text column; the rest of the row is Null.
        if (fields.count(',') == 0)
            fields += ",,,";
        first += QByteArray::number(qulonglong(i)) + "," + fields + "\r\n";
    }
    for (std::size_t i = 0; i < others.size(); ++i)
        second += QByteArray::number(qulonglong(i)) + "," + others[i].csv + "\n";
    QTemporaryDir dir;
    writeFiles(dir.path() + "/src", {{"Plain.csv", first}, {"Long.csv", second}});
    const RunResult r =
        runBuild({"--schema", "none", "--date", "2024-01-15", dir.path() + "/src", dir.path() + "/out"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString mdb = dir.path() + "/out/vc_korva.mdb";
    EXPECT_EQ(structureFault(mdb), "");

    QString err;
    const auto plain = mdbExport(mdb, "Plain", &err);
    EXPECT_EQ(err, "");
    ASSERT_EQ(plain.size(), cases.size() + 1);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        QStringList want = cases[i].want;
        while (want.size() < 4)
            want << (want.size() == 3 ? "0" : "<NULL>");
        EXPECT_EQ(plain[i + 1], QStringList{QString::number(i)} + want) << cases[i].name;
    }
    const auto longs = mdbExport(mdb, "Long", &err);
    EXPECT_EQ(err, "");
    ASSERT_EQ(longs.size(), others.size() + 1);
    for (std::size_t i = 0; i < others.size(); ++i)
        EXPECT_EQ(longs[i + 1], QStringList{QString::number(i)} + others[i].want) << others[i].name;
}

TEST(CatalogueBuild, SingleDecimalAndGuidReadBackThroughLibmdb)
{
    // libmdb's text: a Single with up to eight digits, a Decimal padded to its scale, a
    // GUID whose last two groups run together (compared without the hyphens).
    struct Case {
        const char *name;
        QByteArray csv; // single,decimal(10,3),guid,decimal(28,4)
        QStringList want;
    };
    const std::vector<Case> cases = {
        {"plain values",
         "1.1,-123.45,{8E39276A-BCA8-4AC4-891E-49911D8438DD},12.5",
         {"1.1", "-123.450", "8E39276ABCA84AC4891E49911D8438DD", "12.5000"}},
        {"extremes",
         "-3.4e38,9999999.999,{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF},999999999999999999999999.9999",
         {"-3.4e+38", "9999999.999", "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", "999999999999999999999999.9999"}},
        {"smallest steps",
         "16777217,0.001,{00112233-4455-6677-8899-aabbccddeeff},-0.0001",
         {"16777216", "0.001", "00112233445566778899AABBCCDDEEFF", "-0.0001"}},
        {"zeros",
         "0,-0,{00000000-0000-0000-0000-000000000000},+0.00",
         {"0", "0.000", "00000000000000000000000000000000", "0.0000"}},
        {"nulls", ",,,", {"<NULL>", "<NULL>", "<NULL>", "<NULL>"}},
    };
    QByteArray csv = "id:long,s:single,\"d:decimal(10,3)\",g:guid,\"z:decimal(28,4)\"\n";
    for (std::size_t i = 0; i < cases.size(); ++i)
        csv += QByteArray::number(qulonglong(i)) + "," + cases[i].csv + "\n";
    QTemporaryDir dir;
    writeFiles(dir.path() + "/src", {{"Rare.csv", csv}});
    const RunResult r = runBuild({"--schema", "none", dir.path() + "/src", dir.path() + "/out"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString mdb = dir.path() + "/out/vc_korva.mdb";
    EXPECT_EQ(structureFault(mdb), "");
    QString err;
    auto rows = mdbExport(mdb, "Rare", &err);
    EXPECT_EQ(err, "");
    ASSERT_EQ(rows.size(), cases.size() + 1);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        rows[i + 1][3].remove('-').remove('{').remove('}');
        EXPECT_EQ(rows[i + 1], QStringList{QString::number(i)} + cases[i].want) << cases[i].name;
    }
}

TEST(CatalogueBuild, LargeTableOverManyPagesReadsBackWhole)
{
    // Short rows hit the 255-rows-per-page limit; 120,000 of them need a reference map.
    constexpr int kRows = 120000;
    QByteArray csv = "id:long,code:text(12),note:memo\n";
    for (int i = 0; i < kRows; ++i) {
        csv += QByteArray::number(i) + ",";
        if (i % 3)
            csv += "C" + QByteArray::number(i);
        csv += ",";
        if (i % 9973 == 0)
            csv += QByteArray(5000 + i / 10, 'm');
        csv += "\n";
    }
    QTemporaryDir dir;
    writeFiles(dir.path() + "/src", {{"Big.csv", csv}});
    const RunResult r =
        runBuild({"--schema", "none", "--date", "2024-01-15", dir.path() + "/src", dir.path() + "/out"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString mdb = dir.path() + "/out/vc_korva.mdb";
    EXPECT_EQ(structureFault(mdb), "");
    EXPECT_GT(readFile(mdb).size(), 512 * 4096);
    QString err;
    const auto rows = mdbExport(mdb, "Big", &err);
    EXPECT_EQ(err, "");
    ASSERT_EQ(rows.size(), std::size_t(kRows + 1));
    int wrong = 0;
    for (int i = 0; i < kRows; ++i) {
        const QStringList want{QString::number(i), i % 3 ? "C" + QString::number(i) : "<NULL>",
                               i % 9973 == 0 ? QString(5000 + i / 10, 'm') : "<NULL>"};
        if (rows[std::size_t(i) + 1] != want && ++wrong < 5)
            ADD_FAILURE() << "row " << i << " reads back as "
                          << rows[std::size_t(i) + 1].join('|').left(80).toStdString();
    }
    EXPECT_EQ(wrong, 0);
}

TEST(CatalogueBuild, SameSourcesGiveSameBytes)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.path() + "/src");
    for (const QString &table : kCatalogueTables) {
        const QString to = dir.path() + "/src/" + table + ".csv";
        ASSERT_TRUE(QFile::copy(kSmallSources + "/" + table + ".csv", to));
        QFile f(to);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime(QDate(2023, 3, 4), QTime(5, 6, 7), Qt::UTC), QFileDevice::FileModificationTime);
    }
    for (const QStringList &options : {QStringList{"--date", "2024-01-15"}, QStringList{}}) {
        ASSERT_EQ(runBuild(options + QStringList{dir.path() + "/src", dir.path() + "/a"}).exitCode, 0);
        ASSERT_EQ(runBuild(options + QStringList{dir.path() + "/src", dir.path() + "/b"}).exitCode, 0);
        for (const char *file : {"/vc_korva.mdb", "/system.mdw"}) {
            const QByteArray a = readFile(dir.path() + "/a" + file);
            EXPECT_FALSE(a.isEmpty());
            EXPECT_TRUE(a == readFile(dir.path() + "/b" + file)) << file << " differs between two builds";
        }
    }
    // Without --date the sources' latest change is the creation date: 2023-03-04 05:06:07
    // is day 44989 plus 18367 seconds, and the day masks the password.
    // The fixture's workgroup file has no password and day 38143 (FF 94 00 00), so XORing
    // both files' stored bytes with that mask leaves our date mask alone.
    const QByteArray ours = readFile(dir.path() + "/b/system.mdw").mid(0x42, 4);
    const QByteArray theirs = readFile(testsupport::fixture("catalogue-small/system.mdw")).mid(0x42, 4);
    ASSERT_EQ(ours.size(), 4);
    ASSERT_EQ(theirs.size(), 4);
    const char fixtureMask[4] = {char(0xFF), char(0x94), 0, 0};
    QByteArray mask(4, 0);
    for (int i = 0; i < 4; ++i)
        mask[i] = char(ours[i] ^ theirs[i] ^ fixtureMask[i]);
    EXPECT_EQ(mask.toHex(), QByteArray("bdaf0000")); // 44989 = 0xAFBD
}
