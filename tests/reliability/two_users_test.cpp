// Two users of one machine: a kelpStone one of them leaves in a shared TEMP is never used
// by the other. In the window, another user's kelpStone is faked through the seam (or
// made by the superuser); end to end the second program runs as "nobody"
// (tests/common/second_user.h). The copies of catalogues are tested so in tests/db.
#include "tests/common/second_user.h"
#include "tests/common/test_support.h"
#include "tests/reliability/scratch_program.h"

#include "platform/os_faults.h"
#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class TwoUsersWindow : public ScratchProgramTest {
protected:
    void TearDown() override
    {
        platform::os::FaultInjection::clear();
        ScratchProgramTest::TearDown();
    }
};

class SecondUser : public SecondUserTest {};

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
        ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), SecondUserTest::kNobody, SecondUserTest::kNobody), 0);
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
