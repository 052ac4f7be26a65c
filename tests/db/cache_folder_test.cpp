// The copies' folder on a machine with other users: the user's cache used when it is the
// user's alone, a folder made for this run when it cannot be (HOME unset, XDG_CACHE_HOME
// a file, a folder another user made or others may write), a copy planted in a folder
// that fails the checks never served (in this program, and in jet-query run as a second
// user), and the message when no folder at all can be made.
#include "db/cache_folder.h"
#include "db/db_error.h"
#include "platform/os_faults.h"
#include "platform/os_files.h"
#include "platform/own_folders.h"
#include "tests/common/second_user.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace os = platform::os;
using testsupport::ScopedEnv;

namespace {

// Changes BS063's capacity from 63 to 999 in the copies in `folder`, as another user
// could; returns how many rows changed.
int plantCapacity999(const QString &folder)
{
    int changed = 0;
    for (const QString &name : QDir(folder).entryList({"*.sqlite"}, QDir::Files)) {
        sqlite3 *copy = nullptr;
        if (sqlite3_open(QFile::encodeName(folder + '/' + name).constData(), &copy) == SQLITE_OK
            && sqlite3_exec(copy, "UPDATE TabTechInfo SET CAPACITA = 999 WHERE CAPACITA = 63", nullptr, nullptr,
                            nullptr)
                   == SQLITE_OK)
            changed += sqlite3_changes(copy);
        sqlite3_close(copy);
    }
    return changed;
}

class CacheFolder : public ::testing::Test {
protected:
    void TearDown() override { os::FaultInjection::clear(); }

    static QString runCopies() { return platform::RunFolder() + "/catalogue-copies"; }
    static QString capacityOfBS063()
    {
        const auto c = dbtest::openSmall();
        return dbtest::rowsOf(*c, "SELECT CAPACITA FROM TabTechInfo WHERE CODICE = 'BS063'").join(',');
    }

    QTemporaryDir dir;
};

// The copies' folder of a second user of the machine, end to end.
class SecondUser : public SecondUserTest {};

} // namespace

TEST_F(CacheFolder, TheUsersOwnCacheOrAFolderOfThisRun)
{
    const ScopedEnv noNamed("CATALOG_CACHE_DIR", QByteArray());
    const QString home = dir.filePath("home");
    ASSERT_TRUE(QDir().mkpath(home));
    QFile file(dir.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    {
        // The cache folder of the user's, each folder the program makes its owner's alone.
        const ScopedEnv env("HOME", QFile::encodeName(home)), noXdg("XDG_CACHE_HOME", QByteArray());
        EXPECT_EQ(db::CatalogueCacheFolder(), home + "/.cache/dazozizizavuv/catalogue-copies");
        for (const char *made : {"/.cache", "/.cache/dazozizizavuv", "/.cache/dazozizizavuv/catalogue-copies"})
            EXPECT_TRUE(os::status(home + made)->privateToOwner) << made;
    }
    {
        // One the program made before, open to the group: made private again.
        const QString xdg = dir.filePath("xdg");
        ASSERT_TRUE(QDir().mkpath(xdg + "/dazozizizavuv/catalogue-copies"));
        ASSERT_TRUE(QFile::setPermissions(xdg + "/dazozizizavuv", QFile::permissions(xdg) | QFileDevice::WriteGroup));
        const ScopedEnv env("XDG_CACHE_HOME", QFile::encodeName(xdg));
        EXPECT_EQ(db::CatalogueCacheFolder(), xdg + "/dazozizizavuv/catalogue-copies");
        EXPECT_FALSE(os::status(xdg + "/dazozizizavuv")->writableByOthers);
    }

    const QString open = dir.filePath("open");
    ASSERT_TRUE(QDir().mkpath(open));
    ASSERT_TRUE(QFile::setPermissions(open, QFile::permissions(open) | QFileDevice::WriteOther));
    const struct {
        const char *name;
        const char *variable;
        QByteArray value;
        QString plantedOn; // a path taken for another user's; empty for none
    } unusable[] = {
        {"HOME unset", "HOME", QByteArray(), ""},
        {"XDG_CACHE_HOME a file", "XDG_CACHE_HOME", QFile::encodeName(dir.filePath("file")), ""},
        {"the user's cache folder another user's", "XDG_CACHE_HOME", QFile::encodeName(home), "/home"},
        {"the user's cache folder open to others", "XDG_CACHE_HOME", QFile::encodeName(open), ""},
        {"the program's folder in it another user's", "HOME", QFile::encodeName(home), "/.cache/dazozizizavuv"},
        {"CATALOG_CACHE_DIR another user's", "CATALOG_CACHE_DIR", QFile::encodeName(home), "/home"},
        {"CATALOG_CACHE_DIR open to others", "CATALOG_CACHE_DIR", QFile::encodeName(open), ""},
    };
    for (const auto &c : unusable) {
        SCOPED_TRACE(c.name);
        const ScopedEnv noHome("HOME", QByteArray()), noXdg("XDG_CACHE_HOME", QByteArray());
        const ScopedEnv env(c.variable, c.value);
        if (!c.plantedOn.isEmpty())
            os::FaultInjection::failNext(os::Op::OwnerCheck, EPERM, 1000, 0, c.plantedOn);
        const QString folder = db::CatalogueCacheFolder();
        EXPECT_EQ(folder, runCopies());
        EXPECT_EQ(platform::FolderRefusal(folder), "");
        EXPECT_TRUE(os::status(folder)->privateToOwner);
        EXPECT_FALSE(QFileInfo::exists(open + "/dazozizizavuv")) << "nothing made in a folder others may write";
        os::FaultInjection::clear();
    }
}

// A copy another user could have put there (here: the program's own, then changed) is
// served from a folder that passes the checks, and never from one that fails them.
TEST_F(CacheFolder, CopiesInAFolderThatFailsTheChecksAreNeverRead)
{
    const QString planted = dir.filePath("planted");
    const ScopedEnv env("CATALOG_CACHE_DIR", QFile::encodeName(planted));
    ASSERT_EQ(capacityOfBS063(), "63");
    ASSERT_EQ(plantCapacity999(planted), 1);
    ASSERT_EQ(capacityOfBS063(), "999") << "a changed copy in a folder of the user's is served: the test plants well";

    os::FaultInjection::failNext(os::Op::OwnerCheck, EPERM, 1000, 0, "/planted");
    EXPECT_EQ(capacityOfBS063(), "63") << "served from another user's folder";
    os::FaultInjection::clear();

    ASSERT_TRUE(QFile::setPermissions(planted, QFile::permissions(planted) | QFileDevice::WriteGroup));
    EXPECT_EQ(capacityOfBS063(), "63") << "served from a folder others may write";
}

// No folder at all: the message names each folder tried and why it cannot be used.
TEST_F(CacheFolder, NoFolderForTheCopyNamesTheFoldersAndTheReasons)
{
    const QString named = dir.filePath("copies");
    const ScopedEnv env("CATALOG_CACHE_DIR", QFile::encodeName(named));
    const QString run = runCopies(); // made before the failures are armed
    os::FaultInjection::failNext(os::Op::OwnerCheck, EPERM, 1000);
    testsupport::expectThrowCode<db::DbError>(
        [] { db::CatalogueCacheFolder(); }, db::DbErrc::Open,
        QString("The catalogue cannot be copied for reading: no folder for its copy can be used (\"%1\" belongs to "
                "another user; \"%2\" belongs to another user).")
            .arg(named, run)
            .toStdString());
    testsupport::expectThrowText<db::DbError>([] { dbtest::openSmall(); },
                                              "belongs to another user; \"" + run.toStdString());
}

// Copies put by another user in the folder the program once fell back to, $TMPDIR/
// dazozizizavuv-catalogue-copies, are never served to a user whose own cache cannot be
// used (HOME unset): the copy is made in a private folder of that run, removed at its end.
TEST_F(SecondUser, CopiesAnotherUserPlantedAreNeverServed)
{
    const QString jetQuery = program("tools/jet-query/jet-query");
    program(testsupport::appDir() + "/catalogue-copy");
    ASSERT_TRUE(QDir().mkpath(path("catalogue")));
    for (const char *name : {"vc_korva.mdb", "system.mdw"})
        ASSERT_TRUE(QFile::copy(testsupport::fixture(QString("catalogue-small/") + name), path("catalogue/") + name));
    openToAll(path("catalogue"));
    const QString mdb = path("catalogue/vc_korva.mdb");
    const QString sql = "SELECT CAPACITA FROM TabTechInfo WHERE CODICE = 'BS063'";

    // The other user (here the superuser) makes the copies there, then changes one.
    const QString planted = path("shared/dazozizizavuv-catalogue-copies");
    const Run made = run(false, {"CATALOG_CACHE_DIR=" + planted}, jetQuery, {mdb, sql});
    ASSERT_EQ(made.out.toStdString(), "CAPACITA\n63\n") << made.err.toStdString();
    ASSERT_EQ(plantCapacity999(planted), 1);
    openToAll(planted);
    const QStringList before = QDir(planted).entryList(QDir::Files, QDir::Name);

    const Run victim = run(true, {"TMPDIR=" + path("shared")}, jetQuery, {mdb, sql});
    EXPECT_EQ(victim.exitCode, 0) << victim.err.toStdString();
    EXPECT_EQ(victim.out.toStdString(), "CAPACITA\n63\n") << "a copy another user planted was served";
    EXPECT_TRUE(victim.err.contains("HOME is not set")) << victim.err.toStdString();
    EXPECT_EQ(QDir(path("shared")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(',').toStdString(),
              "dazozizizavuv-catalogue-copies")
        << "the folder of the run was left behind";
    EXPECT_EQ(QDir(planted).entryList(QDir::Files, QDir::Name), before) << "written into the other user's folder";
}
