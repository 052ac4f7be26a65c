// Two users of one machine: nothing one of them leaves in a shared place (a kelpStone in a
// shared TEMP, copies of catalogues in a folder of a fixed name) is used by the other.
// In the window, another user's kelpStone is faked through the seam (or made by the
// superuser); end to end, when the tests run as the superuser, the second program runs as
// "nobody" through runuser on a copy of the built programs and catalogues in a scratch
// folder everyone may read (the checkout may sit under a folder only its owner enters).
#include "tests/common/test_support.h"
#include "tests/reliability/scratch_program.h"

#include "platform/os_faults.h"
#include "platform/settings.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

class TwoUsersWindow : public ScratchProgramTest {
protected:
    void TearDown() override
    {
        platform::os::FaultInjection::clear();
        ScratchProgramTest::TearDown();
    }
};

// A scratch folder the second user may read, with the programs and catalogues copied in.
class SecondUser : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "a second user needs the superuser to run a program as another user";
        runuser = QStandardPaths::findExecutable("runuser");
        if (runuser.isEmpty())
            GTEST_SKIP() << "runuser is missing";
        ASSERT_EQ(::chmod(QFile::encodeName(scratch.path()).constData(), 0755), 0);
        ASSERT_TRUE(QDir().mkpath(path("bin")));
        // A TEMP shared by all users, as /tmp is.
        ASSERT_TRUE(QDir().mkpath(path("shared")));
        ASSERT_EQ(::chmod(QFile::encodeName(path("shared")).constData(), 01777), 0);
    }

    QString path(const QString &relative) const { return scratch.path() + '/' + relative; }
    // Copies the built program `relative` (under the build folder) to bin/.
    QString program(const QString &relative) const
    {
        const QString to = path("bin/" + QFileInfo(relative).fileName());
        EXPECT_TRUE(QFile::copy(testsupport::binDir() + '/' + relative, to)) << relative.toStdString();
        EXPECT_EQ(::chmod(QFile::encodeName(to).constData(), 0755), 0);
        return to;
    }
    // A folder of `uid`'s own, private.
    QString ownFolder(const QString &relative, uid_t uid) const
    {
        EXPECT_TRUE(QDir().mkpath(path(relative)));
        const QByteArray name = QFile::encodeName(path(relative));
        EXPECT_EQ(::chown(name.constData(), uid, uid), 0);
        EXPECT_EQ(::chmod(name.constData(), 0700), 0);
        return path(relative);
    }
    // Everything under `folder` readable by all, folders and programs entered by all.
    static void openToAll(const QString &folder)
    {
        QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        while (it.hasNext()) {
            const QString entry = it.next();
            const bool enter = it.fileInfo().isDir() || it.fileInfo().isExecutable();
            ::chmod(QFile::encodeName(entry).constData(), enter ? 0755 : 0644);
        }
    }

    struct Run {
        int exitCode = -1;
        QString out, err;
    };
    // Runs `program` as root, or as nobody, with `env` set and TEMP, TMPDIR, HOME,
    // XDG_RUNTIME_DIR, XDG_CACHE_HOME and CATALOG_CACHE_DIR unset unless `env` sets them.
    Run run(bool asNobody, const QStringList &env, const QString &program, const QStringList &args) const
    {
        QStringList command = {"-u",
                               "TEMP",
                               "-u",
                               "TMPDIR",
                               "-u",
                               "HOME",
                               "-u",
                               "XDG_RUNTIME_DIR",
                               "-u",
                               "XDG_CACHE_HOME",
                               "-u",
                               "CATALOG_CACHE_DIR",
                               "QT_QPA_PLATFORM=offscreen"};
        command << env << program << args;
        QProcess p;
        p.setWorkingDirectory(scratch.path());
        if (asNobody)
            p.start(runuser, QStringList{"-u", "nobody", "--", "env"} + command);
        else
            p.start("env", command);
        EXPECT_TRUE(p.waitForFinished(120000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    QTemporaryDir scratch;
    QString runuser;
};

// The rows of the make grid and the messages of the last dump of the script driver.
struct WindowState {
    std::string makes; // the rows as JSON
    int rows = 0;
    QStringList messages;
};

WindowState stateOf(const QString &out)
{
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    const QJsonObject o = QJsonDocument::fromJson(lines.isEmpty() ? QByteArray() : lines.last().toUtf8()).object();
    WindowState state;
    const QJsonArray rows = o["grids"].toObject()["gridMarca"].toObject()["rows"].toArray();
    state.makes = QJsonDocument(rows).toJson(QJsonDocument::Compact).toStdString();
    state.rows = int(rows.size());
    for (const QJsonValue m : o["messages"].toArray())
        state.messages << m.toObject()["text"].toString();
    return state;
}

} // namespace

// Another user's kelpStone under the window's TEMP: never entered, the grids load through
// the user's own, and no message is shown.
TEST_F(TwoUsersWindow, AnotherUsersExchangeFolderIsNeverUsed)
{
    QTemporaryDir runtime, shared;
    const testsupport::ScopedEnv env("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString theirs = shared.path() + "/kelpStone";
    ASSERT_TRUE(QDir().mkpath(theirs));
    if (::geteuid() == 0)
        ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), kNobody, kNobody), 0);
    else
        platform::os::FaultInjection::failNext(platform::os::Op::OwnerCheck, EPERM, 100000, 0, theirs);
    qputenv("TEMP", QFile::encodeName(shared.path()));
    rec.clear();
    openWindow();
    EXPECT_EQ(rec.shown.size(), 0u) << allTexts().toStdString();
    expectDrillDownWorks();
    EXPECT_TRUE(QDir(theirs).isEmpty()) << "written into another user's folder";
    EXPECT_TRUE(QDir(runtime.path() + "/kelpStone").exists());
}

// The user who starts the program after another gets filled grids: with TEMP and TMPDIR
// unset each user has a TEMP of their own, and a TMPDIR all users share holds the first
// user's kelpStone, which the second never enters.
TEST_F(SecondUser, SecondUserOfTheMachineGetsFilledGrids)
{
    CopyProgramFolder(testsupport::appDir(), path("app"));
    openToAll(path("app"));
    ASSERT_EQ(::chmod(QFile::encodeName(path("app/catalogue-copy")).constData(), 0755), 0);
    const QString driver = program("tools/catalogue-script/catalogue-script");
    QFile script(path("visit.txt"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("brand KORVA\ndump\n");
    script.close();
    openToAll(path("visit.txt"));
    const QStringList common = {"CATALOG_COPY_HELPER=" + path("app/catalogue-copy")};
    const QStringList rootEnv =
        common
        + QStringList{"XDG_RUNTIME_DIR=" + ownFolder("root-run", 0), "CATALOG_CACHE_DIR=" + ownFolder("root-cache", 0)};
    const QStringList nobodyEnv = common
                                  + QStringList{"XDG_RUNTIME_DIR=" + ownFolder("nobody-run", kNobody),
                                                "CATALOG_CACHE_DIR=" + ownFolder("nobody-cache", kNobody)};
    const struct {
        const char *name;
        QStringList temp; // TEMP or TMPDIR as both users have it
    } cases[] = {
        {"TEMP and TMPDIR unset", {}},
        {"TMPDIR the shared folder", {"TMPDIR=" + path("shared")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Run first = run(false, rootEnv + c.temp, driver, {path("app"), path("visit.txt")});
        ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
        const WindowState firstState = stateOf(first.out);
        ASSERT_GT(firstState.rows, 1) << first.out.toStdString();
        ASSERT_TRUE(firstState.messages.isEmpty()) << firstState.messages.join('\n').toStdString();
        const Run second = run(true, nobodyEnv + c.temp, driver, {path("app"), path("visit.txt")});
        ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
        const WindowState state = stateOf(second.out);
        EXPECT_EQ(state.makes, firstState.makes) << "an empty window for the second user";
        EXPECT_TRUE(state.messages.isEmpty()) << state.messages.join('\n').toStdString();
    }
    EXPECT_TRUE(QDir(path("nobody-run/kelpStone")).exists());
    // The first user's lock file stays there, as the design keeps it; nothing of the second's.
    for (const QFileInfo &entry : QDir(path("shared/kelpStone")).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
        EXPECT_EQ(entry.ownerId(), 0u) << "the second user wrote into the first one's: "
                                       << entry.fileName().toStdString();
    EXPECT_TRUE(QFileInfo::exists(path("shared/kelpStone"))) << "the first user's run made it";
}

// Copies put by another user in the folder the program once fell back to, $TMPDIR/
// dazozizizavuv-catalogue-copies, are never served to a user whose own cache cannot be
// used (HOME unset): the copy is made in a private folder of that run, removed at its end.
TEST_F(SecondUser, CopiesAnotherUserPlantedAreNeverServed)
{
    const QString jetQuery = program("tools/jet-query/jet-query");
    program("app/catalogue-copy");
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
    int changed = 0;
    for (const QString &name : QDir(planted).entryList({"*.sqlite"}, QDir::Files)) {
        sqlite3 *copy = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(planted + '/' + name).constData(), &copy), SQLITE_OK);
        if (sqlite3_exec(copy, "UPDATE TabTechInfo SET CAPACITA = 999 WHERE CAPACITA = 63", nullptr, nullptr, nullptr)
            == SQLITE_OK)
            changed += sqlite3_changes(copy);
        sqlite3_close(copy);
    }
    ASSERT_EQ(changed, 1);
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
