// The catalogue copy is made by the helper program in a process of its own: a helper that
// is missing, hangs, crashes or reports a failure ends the open with a message, never the
// program, and leaves nothing half-written in the cache; the helper refuses a file that
// changed after the program read it.
#include "db/catalogue_file_p.h"
#include "db/copy_cache_p.h"
#include "db/copy_helper.h"
#include "db/copy_tables_p.h"
#include "db/db_error.h"
#include "db/jet_text_p.h"
#include "platform/os_faults.h"
#include "platform/settings.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

using db::DbErrc;
using db::DbError;
using testsupport::expectThrowText;

using dbtest::ScopedEnv;

namespace {

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
            const QString helper =
                f.script.isEmpty() ? scratch.filePath("no-such-helper") : writeScript(scratch, "helper", f.script);
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

// The program run on another program folder (as the script driver runs it) starts the
// helper of that folder, ahead of the build's.
TEST(CopyHelperTest, TheHelperOfTheProgramFolderRunOnIsTheOneStarted)
{
    QTemporaryDir folder, cache;
    const ScopedEnv cacheDir("CATALOG_CACHE_DIR", QFile::encodeName(cache.path()));
    const ScopedEnv unnamed("CATALOG_COPY_HELPER", QByteArray());
    writeScript(folder, QLatin1String(db::kCopyHelperName), "exit 7");
    struct ProgramFolderGuard {
        explicit ProgramFolderGuard(const QString &path) { OverrideProgramFolder(path); }
        ~ProgramFolderGuard() { OverrideProgramFolder(QString()); }
    } runOn(folder.path());
    db::Connection conn;
    conn.setConnectionString(
        dbtest::jetConnectionString(dbtest::smallCatalogue(), dbtest::programPassword(), dbtest::smallWorkgroup()));
    expectThrowText<DbError>([&] { conn.Open(); }, "reading it failed (status 7)");
}

// A copy that cannot be renamed into place (another process's copy stands there, or the
// cache refuses) still serves under its temporary name; the next open copies again.
TEST(CopyHelperTest, ACopyThatCannotBeRenamedIntoPlaceStillServes)
{
    QTemporaryDir cache;
    const ScopedEnv cacheDir("CATALOG_CACHE_DIR", QFile::encodeName(cache.path()));
    const QString sql = "SELECT Marca FROM CP_Veicoli WHERE idVeicolo = 1001";
    platform::os::FaultInjection::failNext(platform::os::Op::Rename, EACCES, 2);
    EXPECT_EQ(dbtest::rowsOf(*dbtest::openSmall(), sql), QStringList{"Aurelia Motori"});
    platform::os::FaultInjection::clear();
    const QStringList kept = QDir(cache.path()).entryList(QDir::Files);
    EXPECT_EQ(kept.filter(".tmp-").size(), 2) << kept.join(' ').toStdString();
    EXPECT_EQ(QDir(cache.path()).entryList({"*.sqlite"}, QDir::Files), QStringList());
    EXPECT_EQ(dbtest::rowsOf(*dbtest::openSmall(), sql), QStringList{"Aurelia Motori"});
    EXPECT_EQ(QDir(cache.path()).entryList({"*.sqlite"}, QDir::Files).size(), 2);
}

// The helper reads the file again; a file whose size or sampled pages differ from those
// the program examined would give a copy filed under the wrong key, so it refuses it.
TEST(CopyHelperTest, TheHelperRefusesAFileThatChangedSinceTheProgramReadIt)
{
    QTemporaryDir dir;
    const QString mdb = dir.filePath("vc_korva.mdb");
    ASSERT_TRUE(QFile::copy(dbtest::smallCatalogue(), mdb));
    QFile f(mdb);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const qint64 size = f.size();
    const QString sample = db::detail::sampleHash(f, size);
    f.close();
    const QString otherSample = QString(sample).replace(0, 1, sample[0] == u'0' ? u'1' : u'0');
    struct Case {
        const char *name;
        qint64 size;
        QString sample;
        int status;
    };
    const Case cases[] = {
        {"as read", size, sample, 0},
        {"other content", size, otherSample, 2},
        {"other size", size + 1, sample, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = dir.filePath(QStringLiteral("copy-%1.sqlite").arg(c.status) + c.name);
        QProcess helper;
        helper.start(testsupport::appDir() + QLatin1Char('/') + QLatin1String(db::kCopyHelperName),
                     {"all", mdb, out, mdb, QString::number(c.size), "0", db::detail::fileIdentity(mdb), c.sample, ""});
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

// The catalogue copied back over itself (an update that brought the same file, a restore
// from a backup): the same name, size and time but another inode and change time. Only
// the content can tell, so it is hashed, found equal, and the copy serves without the
// helper; the copy then carries the new identity, so the next open reads no more than the
// header and the sampled pages.
TEST(CopyKeyTest, TheSameContentUnderANewIdentityIsRecognisedAndRecorded)
{
    QTemporaryDir cache, dir;
    const ScopedEnv cacheDir("CATALOG_CACHE_DIR", QFile::encodeName(cache.path()));
    const QString mdb = dir.filePath("vc_korva.mdb");
    ASSERT_TRUE(QFile::copy(dbtest::smallCatalogue(), mdb));
    const QString sql = "SELECT Marca FROM CP_Veicoli WHERE idVeicolo = 1001";
    EXPECT_EQ(dbtest::rowsOf(*dbtest::openCatalogue(mdb, dbtest::smallWorkgroup()), sql),
              QStringList{"Aurelia Motori"});

    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(mdb).constData(), &before), 0);
    const QString incoming = dir.filePath("incoming.mdb");
    ASSERT_TRUE(QFile::copy(mdb, incoming));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(incoming).constData(), times, 0), 0);
    ASSERT_EQ(::rename(QFile::encodeName(incoming).constData(), QFile::encodeName(mdb).constData()), 0);
    const QString identity = db::detail::fileIdentity(mdb);

    auto storedIdentities = [&] {
        QStringList found;
        for (const QString &name : QDir(cache.path()).entryList({"*.sqlite"}, QDir::Files)) {
            sqlite3 *db = nullptr;
            sqlite3_open_v2(QFile::encodeName(cache.filePath(name)).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_stmt *st = nullptr;
            sqlite3_prepare_v2(db, "SELECT identity FROM __jet_source", -1, &st, nullptr);
            if (sqlite3_step(st) == SQLITE_ROW)
                found << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
            sqlite3_finalize(st);
            sqlite3_close(db);
        }
        return found;
    };
    ASSERT_EQ(storedIdentities().size(), 2);
    EXPECT_FALSE(storedIdentities().contains(identity));
    {
        const ScopedEnv noHelper("CATALOG_COPY_HELPER", QFile::encodeName(dir.filePath("no-such-helper")));
        EXPECT_EQ(dbtest::rowsOf(*dbtest::openCatalogue(mdb, dbtest::smallWorkgroup()), sql),
                  QStringList{"Aurelia Motori"});
    }
    EXPECT_EQ(storedIdentities(), (QStringList{identity, identity}));
}

} // namespace
