// Files that are missing, not Jet, cut short or damaged: opening and reading them gives a
// DbError with a message, never a crash or a hang of the program.
#include "db/db_error.h"
#include "db/query.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using db::DbErrc;
using db::DbError;

namespace {

QByteArray smallBytes()
{
    QFile f(dbtest::smallCatalogue());
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

// Opens `bytes` as a catalogue and reads every table. Returns the error's code, or
// nothing when the file opened and read. Any other exception, a crash or a hang fails.
std::optional<DbErrc> openAndReadAll(const QByteArray &bytes)
{
    QTemporaryDir dir;
    const QString mdb = dir.filePath("damaged.mdb");
    QFile f(mdb);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    try {
        db::Connection c;
        c.setCommandTimeout(20);
        c.setConnectionString(dbtest::jetConnectionString(mdb, dbtest::programPassword(), dbtest::smallWorkgroup()));
        c.Open();
        for (const char *table :
             {"CP_Veicoli", "CP_Veicoli_Rel_Korva_Master", "TabDistintaBatterie", "TabTechInfo", "Tab1riga"})
            dbtest::rowsOf(c, QStringLiteral("SELECT * FROM %1").arg(table));
        return std::nullopt;
    } catch (const DbError &e) {
        EXPECT_GT(std::strlen(e.what()), 20u) << "a message a person can act on";
        return e.code();
    }
}

TEST(BadInputTest, MissingOrForeignFilesFailToOpen)
{
    QByteArray later = smallBytes();
    later[0x14] = 3; // a later engine's version byte
    const struct {
        const char *name;
        QString path;
        QByteArray bytes;
        const char *message;
    } cases[] = {
        {"missing", testsupport::fixture("catalogue-small/nothing.mdb"), {}, "Could not find the database file"},
        {"not a Jet file", testsupport::fixture("catalogue-small/CONTENTS.md"), {}, "is not a Jet database"},
        {"empty file", {}, QByteArray(), "is not a Jet database"},
        {"later engine", {}, later, "later Access engine"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        QString path = c.path;
        if (path.isEmpty()) {
            path = dir.filePath("x.mdb");
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.bytes);
        }
        db::Connection conn;
        conn.setConnectionString(
            dbtest::jetConnectionString(path, dbtest::programPassword(), dbtest::smallWorkgroup()));
        try {
            conn.Open();
            ADD_FAILURE() << "opened";
        } catch (const DbError &e) {
            EXPECT_EQ(e.code(), DbErrc::Open);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        EXPECT_FALSE(conn.Connected());
    }
}

TEST(BadInputTest, TruncatedFilesNeverCrash)
{
    const QByteArray whole = smallBytes();
    const qsizetype page = 4096;
    // Cut inside the header, inside the catalogue page, at page bounds and mid-way
    // through the data.
    for (qsizetype size : {qsizetype(0), qsizetype(100), qsizetype(2047), page, 2 * page + 7, 3 * page})
        EXPECT_TRUE(openAndReadAll(whole.left(size)).has_value()) << "cut at " << size;
    for (qsizetype size : {5 * page, 9 * page + 100, whole.size() / 2, whole.size() - page, whole.size() - 1})
        openAndReadAll(whole.left(size)); // may open with fewer rows; must not crash
}

TEST(BadInputTest, FlippedBytesNeverCrash)
{
    const QByteArray whole = smallBytes();
    QRandomGenerator random(20240611);
    int failures = 0;
    for (int round = 0; round < 16; ++round) {
        QByteArray bytes = whole;
        for (int i = 0; i < 40; ++i)
            bytes[random.bounded(4096, int(bytes.size()))] = char(random.bounded(256));
        failures += openAndReadAll(bytes).has_value();
    }
    RecordProperty("damaged_files_refused", failures);
}

} // namespace
