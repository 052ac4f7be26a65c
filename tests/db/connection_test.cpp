// The connection: parsing its string, the checks made on open (provider, file, password,
// workgroup), what it reports once open, and working copies that never go stale.
#include "db/connection.h"
#include "db/connection_string_p.h"
#include "db/db_error.h"
#include "db/jet_header_p.h"
#include "db/query.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using db::DbErrc;
using db::DbError;
using testsupport::expectThrowText;

namespace {

struct ParseCase {
    const char *name;
    QString text;
    QString keyword;
    std::optional<QString> expected;
};

TEST(ConnectionStringTest, ReadsKeywordsAndValues)
{
    const QString codes = dbtest::programPassword();
    const ParseCase cases[] = {
        {"bare value", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/x/a.mdb", "Data Source", "/x/a.mdb"},
        {"keyword ignores case", "DATA SOURCE=/x/a.mdb", "data source", "/x/a.mdb"},
        {"blanks around", "  Data Source =  /x/a.mdb  ;", "Data Source", "/x/a.mdb"},
        {"single quotes, doubled inside", "Jet OLEDB:Database Password='it''s;=x'", "Jet OLEDB:Database Password",
         "it's;=x"},
        {"double quotes keep semicolons", "Jet OLEDB:System database=\"/a;b/system.mdw\";X=1",
         "Jet OLEDB:System database", "/a;b/system.mdw"},
        {"doubled double quote", "P=\"a\"\"b\"", "P", "a\"b"},
        {"control characters arrive intact", "Jet OLEDB:Database Password='" + codes + "'",
         "Jet OLEDB:Database Password", codes},
        {"empty quoted value", "Jet OLEDB:Database Password=''", "Jet OLEDB:Database Password", ""},
        {"driver in braces", "Driver={Microsoft Visual FoxPro Driver};SourceType=DBF", "Driver",
         "{Microsoft Visual FoxPro Driver}"},
        {"last one wins", "A=1;A=2", "A", "2"},
        {"absent keyword", "A=1", "B", std::nullopt},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(db::detail::ConnectionString::parse(c.text).value(c.keyword), c.expected);
    }
    expectThrowText<DbError>([] { db::detail::ConnectionString::parse("Password='abc"); }, "closing quote is missing");
}

// What an open connection reports must parse back to the same pairs: the next window's
// reuse test reads it. The unclosed brace came from the connection-string fuzzer.
TEST(ConnectionStringTest, ReadBackParsesToTheSamePairsWithoutThePassword)
{
    const char *texts[] = {
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/x/a b.mdb;Jet OLEDB:Database Password='p;w'",
        "DDriver={Microata S;Provider=x",
        "A={one}two};B= {lead",
        "A=\"q\"\"uote\";B='x'",
        "A= padded ;B=\" kept \"",
    };
    for (const char *text : texts) {
        SCOPED_TRACE(text);
        const auto cs = db::detail::ConnectionString::parse(QString::fromUtf8(text));
        const auto back = db::detail::ConnectionString::parse(cs.withoutPassword());
        QList<db::detail::ConnectionPair> kept;
        for (const auto &p : cs.pairs()) {
            if (!p.keyword.contains("Password", Qt::CaseInsensitive))
                kept << p;
        }
        ASSERT_EQ(back.pairs().size(), kept.size()) << cs.withoutPassword().toStdString();
        for (qsizetype i = 0; i < kept.size(); ++i) {
            EXPECT_EQ(back.pairs()[i].keyword, kept[i].keyword);
            EXPECT_EQ(back.pairs()[i].value, kept[i].value);
        }
        EXPECT_FALSE(cs.withoutPassword().contains("p;w"));
    }
}

TEST(ConnectionTest, OpensTheSmallCatalogueAndHidesThePassword)
{
    db::Connection c;
    EXPECT_EQ(c.Provider(), "Microsoft.Jet.OLEDB.4.0");
    EXPECT_FALSE(c.Connected());
    c.setConnectionString(
        dbtest::jetConnectionString(dbtest::smallCatalogue(), dbtest::programPassword(), dbtest::smallWorkgroup()));
    c.Open();
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(c.Provider(), "Microsoft.Jet.OLEDB.4.0");
    const QString back = c.ConnectionString();
    EXPECT_TRUE(back.toLower().contains(("data source=" + dbtest::smallCatalogue() + ";").toLower()))
        << back.toStdString();
    EXPECT_FALSE(back.contains(QChar(1))) << "the password must never be read back";
    EXPECT_FALSE(back.contains("Password", Qt::CaseInsensitive));
    c.Close();
    c.Close();
    EXPECT_FALSE(c.Connected());
}

// The fixture's maker records its creation as 2004-06-05 13:06:59.655.
TEST(ConnectionTest, ReportsTheCatalogueCreationDateOnlyWhileOpen)
{
    const auto c = dbtest::openSmall();
    EXPECT_EQ(c->CreationDate(), QDateTime(QDate(2004, 6, 5), QTime(13, 6, 59, 655)));
    c->Close();
    EXPECT_FALSE(c->CreationDate().isValid());
}

TEST(ConnectionTest, DayNumbersBecomeDatesWithinTheCalendarOnly)
{
    const struct {
        const char *name;
        double days;
        QDateTime expected;
    } cases[] = {
        {"day zero", 0.0, QDateTime(QDate(1899, 12, 30), QTime(0, 0))},
        {"half a day", 38143.5, QDateTime(QDate(2004, 6, 5), QTime(12, 0))},
        {"before day zero", -1.0, QDateTime(QDate(1899, 12, 29), QTime(0, 0))},
        {"last day Access knows", 2958465.0, QDateTime(QDate(9999, 12, 31), QTime(0, 0))},
        {"past year 9999", 2958466.0, QDateTime()},
        {"before year 100", -657435.0, QDateTime()},
        {"not a number", std::nan(""), QDateTime()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(db::detail::dateOfDayNumber(c.days), c.expected);
    }
}

TEST(ConnectionTest, RefusesAWrongPassword)
{
    QString lastWrong = dbtest::programPassword();
    lastWrong[19] = QChar(21);
    const QString wrong[] = {QString(), QStringLiteral("x"), dbtest::programPassword().left(19), lastWrong,
                             dbtest::programPassword() + QChar(21)};
    for (const QString &password : wrong) {
        db::Connection c;
        c.setConnectionString(
            dbtest::jetConnectionString(dbtest::smallCatalogue(), password, dbtest::smallWorkgroup()));
        try {
            c.Open();
            ADD_FAILURE() << "opened with a wrong password of " << password.size() << " characters";
        } catch (const DbError &e) {
            EXPECT_EQ(e.code(), DbErrc::Password);
            EXPECT_NE(std::string(e.what()).find("wrong password"), std::string::npos) << e.what();
        }
        EXPECT_FALSE(c.Connected());
    }
}

TEST(ConnectionTest, NeedsAWorkgroupFileThatIsAJetFile)
{
    const QString notJet = testsupport::fixture(QStringLiteral("catalogue-small/CONTENTS.md"));
    const struct {
        QString workgroup;
        const char *message;
    } cases[] = {
        {testsupport::fixture(QStringLiteral("catalogue-small/missing.mdw")),
         "Could not find the workgroup information file"},
        {notJet, "is not a Jet file"},
    };
    for (const auto &c : cases) {
        db::Connection conn;
        conn.setConnectionString(
            dbtest::jetConnectionString(dbtest::smallCatalogue(), dbtest::programPassword(), c.workgroup));
        try {
            conn.Open();
            ADD_FAILURE() << "opened with workgroup " << c.workgroup.toStdString();
        } catch (const DbError &e) {
            EXPECT_EQ(e.code(), DbErrc::Workgroup);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        EXPECT_FALSE(conn.Connected());
    }
}

TEST(ConnectionTest, OtherProvidersAreNotAvailable)
{
    const struct {
        const char *name;
        QString text;
        QString provider;
    } cases[] = {
        {"SQL Server",
         "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=;Password=;Initial Catalog=vc_korva;Data Source=",
         "SQLOLEDB.1"},
        {"FoxPro driver", "Driver={Microsoft Visual FoxPro Driver};SourceType=DBF;SourceDB=/x;Exclusive=No",
         "Microsoft.Jet.OLEDB.4.0"},
        {"empty string, no provider", "", ""},
        {"unknown provider", "Provider=Acme.Nothing.1;Data Source=" + dbtest::smallCatalogue(),
         "Microsoft.Jet.OLEDB.4.0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        db::Connection conn;
        conn.setProvider(c.provider);
        conn.setConnectionString(c.text);
        try {
            conn.Open();
            ADD_FAILURE() << "opened";
        } catch (const DbError &e) {
            EXPECT_EQ(e.code(), DbErrc::Provider);
            EXPECT_NE(std::string(e.what()).find("provider not available"), std::string::npos) << e.what();
        }
        EXPECT_FALSE(conn.Connected());
    }
}

TEST(ConnectionTest, QueriesNeedAnOpenConnection)
{
    db::Connection c;
    db::Query q(c);
    q.AddSQL("SELECT 1");
    expectThrowText<DbError>([&] { q.Open(); }, "connection is closed");
    EXPECT_FALSE(q.Active());
}

// A copy kept from an earlier open must never answer for a file that changed since, even
// when the size and the modification time stayed the same.
TEST(ConnectionTest, ReopeningAChangedFileReadsTheNewContent)
{
    QTemporaryDir dir;
    const QString mdb = dir.filePath("vc_korva.mdb");
    ASSERT_TRUE(QFile::copy(dbtest::smallCatalogue(), mdb));
    QFile::setPermissions(mdb, QFile::ReadOwner | QFile::WriteOwner);
    const QString sql = "SELECT Marca FROM CP_Veicoli WHERE idVeicolo = 1001";
    EXPECT_EQ(dbtest::rowsOf(*dbtest::openCatalogue(mdb, dbtest::smallWorkgroup()), sql),
              QStringList{"Aurelia Motori"});

    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(mdb).constData(), &before), 0);
    QFile f(mdb);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    // Compressed text: one byte per letter. Every copy of the make's name changes.
    ASSERT_GE(bytes.indexOf("Aurelia Motori"), 0);
    bytes.replace("Aurelia Motori", "Aurelio Motori");
    f.seek(0);
    f.write(bytes);
    f.close();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(mdb).constData(), times, 0), 0);

    EXPECT_EQ(dbtest::rowsOf(*dbtest::openCatalogue(mdb, dbtest::smallWorkgroup()), sql),
              QStringList{"Aurelio Motori"});
}

// The file swapped for another one under the same name and time stamp, or cut short
// (a copy that was interrupted): the copy of the earlier file must not answer for it.
TEST(ConnectionTest, AReplacedOrTruncatedFileIsNeverAnsweredFromTheEarlierCopy)
{
    const QString sql = "SELECT Marca FROM CP_Veicoli WHERE idVeicolo = 1001";
    struct Case {
        const char *what;
        bool truncate;
    };
    for (const Case c : {Case{"replaced", false}, Case{"truncated", true}}) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString mdb = dir.filePath("vc_korva.mdb");
        ASSERT_TRUE(QFile::copy(dbtest::smallCatalogue(), mdb));
        QFile::setPermissions(mdb, QFile::ReadOwner | QFile::WriteOwner);
        EXPECT_EQ(dbtest::rowsOf(*dbtest::openCatalogue(mdb, dbtest::smallWorkgroup()), sql),
                  QStringList{"Aurelia Motori"});
        struct stat before {};
        ASSERT_EQ(::stat(QFile::encodeName(mdb).constData(), &before), 0);

        QFile original(mdb);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        QByteArray bytes = original.readAll();
        original.close();
        if (c.truncate)
            bytes.truncate(2 * 4096); // the header pages only: the tables are gone
        else
            bytes.replace("Aurelia Motori", "Aurelio Motori");
        const QString other = dir.filePath("incoming.mdb");
        QFile f(other);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const timespec times[2] = {before.st_atim, before.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(other).constData(), times, 0), 0);
        ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(mdb).constData()), 0);

        if (c.truncate)
            expectThrowText<DbError>([&] { dbtest::openCatalogue(mdb, dbtest::smallWorkgroup()); }, "damaged");
        else
            EXPECT_EQ(dbtest::rowsOf(*dbtest::openCatalogue(mdb, dbtest::smallWorkgroup()), sql),
                      QStringList{"Aurelio Motori"});
    }
}

// A copy is two files, the largest table and the others; each must belong to the file's
// present content. Either one put back from the copy of an earlier content must make the
// next open copy afresh, not answer half from the earlier catalogue.
TEST(ConnectionTest, EachFileOfACopyMustMatchThePresentCatalogue)
{
    QTemporaryDir cache;
    const QByteArray runCache = qgetenv("CATALOG_CACHE_DIR");
    qputenv("CATALOG_CACHE_DIR", QFile::encodeName(cache.path()));
    struct Restore {
        QByteArray value;
        ~Restore() { qputenv("CATALOG_CACHE_DIR", value); }
    } restore{runCache};

    QTemporaryDir dir;
    const QString mdb = dir.filePath("vc_korva.mdb");
    ASSERT_TRUE(QFile::copy(dbtest::smallCatalogue(), mdb));
    QFile::setPermissions(mdb, QFile::ReadOwner | QFile::WriteOwner);
    auto answers = [&] {
        auto conn = dbtest::openCatalogue(mdb, dbtest::smallWorkgroup());
        return dbtest::rowsOf(*conn, "SELECT Marca FROM CP_Veicoli WHERE idVeicolo = 1001")
               + dbtest::rowsOf(*conn, "SELECT count(*) FROM TabDistintaBatterie WHERE codice = 'KS06Z'");
    };
    EXPECT_EQ(answers(), (QStringList{"Aurelia Motori", "0"}));

    QMap<QString, QByteArray> earlier;
    for (const QString &name : QDir(cache.path()).entryList({"*.sqlite"}, QDir::Files)) {
        QFile f(cache.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        earlier[name] = f.readAll();
    }
    ASSERT_EQ(earlier.size(), 2);

    {
        QFile f(mdb);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        // Compressed text: one byte per letter. The make is in one file of the copy, the
        // battery code in the largest table, which is in the other.
        bytes.replace("Aurelia Motori", "Aurelio Motori");
        bytes.replace("KS060", "KS06Z");
        f.seek(0);
        f.write(bytes);
    }
    const QStringList present{"Aurelio Motori", "1"};
    EXPECT_EQ(answers(), present);
    for (auto it = earlier.cbegin(); it != earlier.cend(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        QFile f(cache.filePath(it.key()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(it.value());
        f.close();
        EXPECT_EQ(answers(), present);
    }
}

TEST(ConnectionTest, ReopeningTheSameFileGivesTheSameAnswers)
{
    const QString sql = "SELECT count(*), sum(Cv) FROM CP_Veicoli";
    const QStringList first = dbtest::rowsOf(*dbtest::openSmall(), sql);
    EXPECT_EQ(first, QStringList{"16|1657"});
    EXPECT_EQ(dbtest::rowsOf(*dbtest::openSmall(), sql), first);
}

} // namespace
