// The catalogue copy is made by the helper program in a process of its own: a helper that
// is missing, hangs, crashes or reports a failure ends the open with a message, never the
// program, and leaves nothing half-written in the cache; the helper refuses a file that
// changed after the program read it.
#include "db/copy_helper.h"
#include "db/db_error.h"
#include "db/jet_copy_p.h"
#include "db/jet_text_p.h"
#include "db/mdb_loader_p.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using db::DbErrc;
using db::DbError;
using testsupport::expectThrowText;

namespace {

// Sets an environment variable for the length of a scope.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value) : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

QString writeScript(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + body + "\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

struct HelperFault {
    const char *name;
    QByteArray script; // empty: the helper named does not exist
    DbErrc family;
    const char *message;
};

// Each fault of the helper ends the open with its own message; nothing is left in the
// cache, and the next open with the real helper copies the catalogue as usual.
TEST(CopyHelperTest, AFailingHelperEndsTheOpenWithAMessageAndLeavesNoCopy)
{
    const HelperFault faults[] = {
        {"missing", "", DbErrc::Open, "helper program"},
        {"hangs", "exec sleep 60", DbErrc::Format, "did not finish within 1 s"},
        {"crashes", "kill -SEGV $$", DbErrc::Format, "the reader stopped abnormally"},
        {"reports a failure", "echo 'its table of contents cannot be read'; exit 2", DbErrc::Format,
         "its table of contents cannot be read"},
        {"fails silently", "exit 7", DbErrc::Format, "reading it failed (status 7)"},
    };
    for (const HelperFault &f : faults) {
        SCOPED_TRACE(f.name);
        QTemporaryDir scratch, cache;
        const ScopedEnv cacheDir("CATALOG_CACHE_DIR", QFile::encodeName(cache.path()));
        {
            const QString helper = f.script.isEmpty() ? scratch.filePath("no-such-helper")
                                                      : writeScript(scratch, "helper", f.script);
            const ScopedEnv named("CATALOG_COPY_HELPER", QFile::encodeName(helper));
            db::Connection conn;
            conn.setConnectionString(dbtest::jetConnectionString(dbtest::smallCatalogue(), dbtest::programPassword(),
                                                                 dbtest::smallWorkgroup()));
            conn.setCommandTimeout(1);
            try {
                conn.Open();
                ADD_FAILURE() << "the open succeeded";
            } catch (const DbError &e) {
                EXPECT_EQ(e.code(), f.family);
                EXPECT_NE(std::string(e.what()).find(f.message), std::string::npos) << e.what();
            }
            EXPECT_FALSE(conn.Connected());
            EXPECT_EQ(QDir(cache.path()).entryList(QDir::Files), QStringList()) << "left in the cache";
        }
        EXPECT_EQ(dbtest::rowsOf(*dbtest::openSmall(), "SELECT Marca FROM CP_Veicoli WHERE idVeicolo = 1001"),
                  QStringList{"Aurelia Motori"});
    }
}

// The helper reads the file again; bytes that differ from those the program read and
// hashed would give a copy filed under the wrong content, so it refuses them.
TEST(CopyHelperTest, TheHelperRefusesAFileThatChangedSinceTheProgramReadIt)
{
    QTemporaryDir dir;
    const QString mdb = dir.filePath("vc_korva.mdb");
    ASSERT_TRUE(QFile::copy(dbtest::smallCatalogue(), mdb));
    QFile f(mdb);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    struct Case {
        const char *name;
        qint64 size;
        QString hash;
        int status;
    };
    const Case cases[] = {
        {"as read", bytes.size(), db::detail::contentHash(bytes), 0},
        {"other content", bytes.size(), db::detail::contentHash(bytes + "x"), 2},
        {"other size", bytes.size() + 1, db::detail::contentHash(bytes), 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = dir.filePath(QStringLiteral("copy-%1.sqlite").arg(c.status) + c.name);
        QProcess helper;
        helper.start(testsupport::appDir() + QLatin1Char('/') + QLatin1String(db::kCopyHelperName),
                     {"all", mdb, out, mdb, QString::number(c.size), "0", c.hash});
        ASSERT_TRUE(helper.waitForFinished(120000));
        EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(helper.exitCode(), c.status);
        EXPECT_EQ(QFileInfo::exists(out), c.status == 0);
        if (c.status != 0) {
            EXPECT_TRUE(helper.readAllStandardOutput().contains("changed while it was being read"));
        }
    }
}

// The copy is written only into a file of its own making: one already at the path (even
// empty, which SQLite would take for a new database) is left alone.
TEST(CopyHelperTest, ACopyIsNeverWrittenIntoAFileAlreadyThere)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("copy.sqlite");
    QFile(out).open(QIODevice::WriteOnly);
    QFile f(dbtest::smallCatalogue());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    expectThrowText<DbError>([&] { db::detail::copyJetTables(f.readAll(), out, {}); }, "already exists");
    EXPECT_EQ(QFileInfo(out).size(), 0);
}

} // namespace

namespace {

uint32_t foldUnchanged(uint32_t c) { return db::detail::foldCodePoint(c); }

template <uint32_t Changed>
uint32_t foldChangedAt(uint32_t c)
{
    return c == Changed ? db::detail::foldCodePoint(c) + 1 : db::detail::foldCodePoint(c);
}

// A change of the fold anywhere it reaches (the table of Latin letters built here, or Qt's
// Unicode tables beyond it) gives another fingerprint.
TEST(TextOrderFingerprintTest, ChangesWithTheFoldOfAnyOneCharacter)
{
    const QString mine = db::detail::generalOrderFingerprint();
    EXPECT_EQ(db::detail::orderFingerprintOf(foldUnchanged), mine);
    const struct {
        const char *name;
        uint32_t (*fold)(uint32_t);
    } changes[] = {
        {"ASCII letter", foldChangedAt<'K'>},
        {"Latin-1 ligature", foldChangedAt<0xC6>},
        {"Latin Extended-B", foldChangedAt<0x24F>},
        {"Greek", foldChangedAt<0x391>},
        {"Latin Extended Additional", foldChangedAt<0x1E9E>},
        {"fullwidth", foldChangedAt<0xFF21>},
        {"last of the plane", foldChangedAt<0xFFFF>},
    };
    for (const auto &c : changes) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(db::detail::orderFingerprintOf(c.fold), mine);
    }
}

// A copy recorded under another text order is not used: the next open copies again, and
// the new copy carries this build's order.
TEST(TextOrderFingerprintTest, ACopyMadeUnderAnotherOrderIsMadeAgain)
{
    QTemporaryDir cache;
    const ScopedEnv cacheDir("CATALOG_CACHE_DIR", QFile::encodeName(cache.path()));
    const QString sql = "SELECT count(*) FROM CP_Veicoli WHERE Marca = 'AURELIA MOTORI'";
    const QStringList expected = dbtest::rowsOf(*dbtest::openSmall(), sql);
    const QStringList copies = QDir(cache.path()).entryList({"*.sqlite"}, QDir::Files);
    ASSERT_EQ(copies.size(), 2);

    auto orderOf = [&](const QString &name, const char *change = nullptr) {
        sqlite3 *db = nullptr;
        EXPECT_EQ(sqlite3_open(QFile::encodeName(cache.filePath(name)).constData(), &db), SQLITE_OK);
        if (change) {
            EXPECT_EQ(sqlite3_exec(db, change, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        }
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT text_order FROM __jet_source", -1, &st, nullptr);
        QString order;
        if (sqlite3_step(st) == SQLITE_ROW)
            order = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        sqlite3_close(db);
        return order;
    };
    for (const QString &name : copies) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(orderOf(name), db::detail::generalOrderFingerprint());
        orderOf(name, "UPDATE __jet_source SET text_order = 'another order'");
        EXPECT_EQ(dbtest::rowsOf(*dbtest::openSmall(), sql), expected);
        EXPECT_EQ(orderOf(name), db::detail::generalOrderFingerprint()) << "the copy was not made again";
    }
}

} // namespace
