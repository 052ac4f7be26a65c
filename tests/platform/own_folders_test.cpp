// The user's own folders on real folders in a scratch place: what makes one refused, the
// making of a path with a folder on the way someone else made first, the run folder made
// private and removed when its program ends (this test program run again as a child), and
// the user's own temporary folder with the places it comes from refused in turn.
#include "platform/os_faults.h"
#include "platform/os_files.h"
#include "platform/os_process.h"
#include "platform/own_folders.h"
#include "platform/settings.h"
#include "tests/common/test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <iostream>

namespace os = platform::os;
using platform::ExistingFolder;
using platform::FolderRefusal;
using platform::MakeOwnFolder;
using testsupport::ScopedEnv;

namespace {

class OwnFolders : public ::testing::Test {
protected:
    void TearDown() override { os::FaultInjection::clear(); }

    QString folder(const QString &name, QFileDevice::Permissions extra = {})
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        EXPECT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                    | extra));
        return path;
    }
    static QString quoted(const QString &path) { return '"' + path + '"'; }

    QTemporaryDir dir;
};

} // namespace

TEST_F(OwnFolders, WhatMakesAFolderRefused)
{
    const QString own = folder("own");
    const QString readable = folder("readable", QFileDevice::ReadOther | QFileDevice::ExeOther);
    const QString groupWritable =
        folder("group", QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup);
    const QString open = folder("open", QFileDevice::WriteOther | QFileDevice::ReadOther | QFileDevice::ExeOther);
    QFile file(dir.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::link(own, dir.filePath("link-to-own")));

    const struct {
        const char *name;
        QString path;
        os::Op fault; // injected for this case; Op::Rename for none
        int error;
        QString refusal;
    } cases[] = {
        {"own, private", own, os::Op::Rename, 0, ""},
        {"own, readable by others", readable, os::Op::Rename, 0, ""},
        {"a link to an own folder", dir.filePath("link-to-own"), os::Op::Rename, 0, ""},
        {"writable by the group", groupWritable, os::Op::Rename, 0,
         quoted(groupWritable) + " may be written by other users"},
        {"writable by everyone", open, os::Op::Rename, 0, quoted(open) + " may be written by other users"},
        {"a file", dir.filePath("file"), os::Op::Rename, 0, quoted(dir.filePath("file")) + " is not a folder"},
        {"missing", dir.filePath("none"), os::Op::Rename, 0,
         quoted(dir.filePath("none")) + " cannot be examined: " + os::errorText(ENOENT)},
        {"another user's", own, os::Op::OwnerCheck, EPERM, quoted(own) + " belongs to another user"},
        {"not writable", own, os::Op::Writable, EROFS, quoted(own) + " cannot be written: " + os::errorText(EROFS)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.error)
            os::FaultInjection::failNext(c.fault, c.error);
        EXPECT_EQ(FolderRefusal(c.path), c.refusal);
        os::FaultInjection::clear();
    }
}

TEST_F(OwnFolders, MakesEveryFolderOnTheWayPrivateAndChecksEach)
{
    const QString deep = dir.filePath("a/b/c");
    EXPECT_EQ(MakeOwnFolder(deep), "");
    for (const QString &made : {dir.filePath("a"), dir.filePath("a/b"), deep}) {
        SCOPED_TRACE(made.toStdString());
        const auto st = os::linkStatus(made);
        ASSERT_TRUE(st);
        EXPECT_EQ(st->kind, os::FileKind::Folder);
        EXPECT_TRUE(st->privateToOwner);
    }
    EXPECT_EQ(MakeOwnFolder(deep), "") << "an own folder standing there";

    // Someone else made a folder on the way first: nothing is made inside it.
    os::FaultInjection::failNext(os::Op::OwnerCheck, EPERM, 1, 0, "/x");
    EXPECT_EQ(MakeOwnFolder(dir.filePath("x/y")), quoted(dir.filePath("x")) + " belongs to another user");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("x/y")));
    os::FaultInjection::clear();

    // A file on the way; a folder the system refuses to make.
    QFile file(dir.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(MakeOwnFolder(dir.filePath("file/sub")),
              quoted(dir.filePath("file/sub")) + " cannot be examined: " + os::errorText(ENOTDIR));
    os::FaultInjection::failNext(os::Op::MakeFolder, EACCES);
    EXPECT_EQ(MakeOwnFolder(dir.filePath("refused/sub")),
              quoted(dir.filePath("refused")) + " cannot be made: " + os::errorText(EACCES));

    // An own folder others may write: refused as it is, or made private when asked.
    const QString open = folder("open", QFileDevice::WriteOther | QFileDevice::ReadOther | QFileDevice::ExeOther);
    EXPECT_EQ(MakeOwnFolder(open), quoted(open) + " may be written by other users");
    EXPECT_EQ(MakeOwnFolder(open, ExistingFolder::MakePrivate), "");
    EXPECT_TRUE(os::status(open)->privateToOwner);
    // ... but another user's is never touched.
    const QString theirs = folder("theirs", QFileDevice::WriteOther | QFileDevice::ReadOther | QFileDevice::ExeOther);
    os::FaultInjection::failNext(os::Op::OwnerCheck, EPERM, 3, 0, "/theirs");
    EXPECT_EQ(MakeOwnFolder(theirs, ExistingFolder::MakePrivate), quoted(theirs) + " belongs to another user");
    os::FaultInjection::clear();
    EXPECT_FALSE(os::status(theirs)->privateToOwner);
}

// Run as a child by the next test: makes the run folder, leaves a file in it and says
// where it is.
TEST(RunFolderChild, MakesItAndEnds)
{
    if (!qEnvironmentVariableIsSet("CATALOG_RUN_FOLDER_CHILD"))
        GTEST_SKIP() << "run by RunFolder.PrivateAndRemovedWhenTheProgramEnds";
    const QString run = platform::RunFolder();
    ASSERT_FALSE(run.isEmpty());
    ASSERT_TRUE(QDir().mkpath(run + "/catalogue-copies/news"));
    QFile f(run + "/catalogue-copies/news/copy.sqlite");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    std::cout << "run folder: " << run.toStdString() << std::endl;
}

TEST(RunFolder, PrivateAndRemovedWhenTheProgramEnds)
{
    QTemporaryDir tmp;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CATALOG_RUN_FOLDER_CHILD", "1");
    env.insert("TMPDIR", tmp.path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=RunFolderChild.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    const qsizetype at = out.indexOf("run folder: ");
    ASSERT_GE(at, 0) << out.toStdString();
    const QString run = out.mid(at + 12).section('\n', 0, 0).trimmed();
    EXPECT_TRUE(run.startsWith(tmp.path() + "/dazozizizavuv-run-")) << run.toStdString();
    EXPECT_FALSE(QFileInfo::exists(run)) << "left when the program ended: " << run.toStdString();
    EXPECT_TRUE(QDir(tmp.path()).entryList({"dazozizizavuv-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());

    // In this program: one folder for the whole run, private.
    const QString mine = platform::RunFolder();
    ASSERT_FALSE(mine.isEmpty());
    EXPECT_EQ(platform::RunFolder(), mine);
    EXPECT_EQ(FolderRefusal(mine), "");
    EXPECT_TRUE(os::status(mine)->privateToOwner);
}

// Folders that killed programs left: the next run removes those whose maker no longer
// runs, and only those: a running maker's, one without a maker, one counted in another
// container's process ids and another user's stay.
TEST(RunFolder, NextRunRemovesWhatKilledProgramsLeft)
{
    QTemporaryDir tmp;
    const auto leftFolder = [&](const QString &name, const QString &maker) {
        const QString path = tmp.filePath("dazozizizavuv-run-" + name);
        EXPECT_TRUE(QDir().mkpath(path + "/catalogue-copies"));
        EXPECT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        if (!maker.isNull()) {
            QFile f(path + "/.maker");
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(maker.toUtf8());
        }
        return path;
    };
    const QString space = os::processIdSpace();
    if (space.isEmpty())
        GTEST_SKIP() << "this system does not name its process id space";
    QProcess ended, running;
    ended.start("true", {});
    ASSERT_TRUE(ended.waitForFinished(10000));
    running.start("sleep", {"60"});
    ASSERT_TRUE(running.waitForStarted(10000));
    const QString endedPid = QString::number(ended.processId());
    const QString killed = leftFolder("killed", endedPid + "\n" + space);
    const QString alive = leftFolder("alive", QString::number(running.processId()) + "\n" + space);
    const QString unknown = leftFolder("unknown", QString());
    const QString elsewhere = leftFolder("elsewhere", endedPid + "\npid:[1] another-boot");
    const QString shared = leftFolder("shared", endedPid + "\n" + space);
    ASSERT_TRUE(QFile::setPermissions(shared, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                  | QFileDevice::ReadOther | QFileDevice::ExeOther));

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CATALOG_RUN_FOLDER_CHILD", "1");
    env.insert("TMPDIR", tmp.path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=RunFolderChild.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    running.kill();
    running.waitForFinished(10000);

    EXPECT_FALSE(QFileInfo::exists(killed));
    EXPECT_TRUE(QFileInfo::exists(alive));
    EXPECT_TRUE(QFileInfo::exists(unknown));
    EXPECT_TRUE(QFileInfo::exists(elsewhere));
    EXPECT_TRUE(QFileInfo::exists(shared)) << "a folder others may read is not the program's";
}

// Where TEMP and TMPDIR are unset the program's TEMP is the user's own: the runtime folder
// when it is private, else a folder of the user's under /tmp, else the run folder.
TEST_F(OwnFolders, UserTemporaryFolderIsTheUsersOwn)
{
    const ScopedEnv noTemp("TEMP", QByteArray()), noTmpdir("TMPDIR", QByteArray());
    const QString runtime = folder("runtime");
    const QString perUser = QStringLiteral("/tmp/dazozizizavuv-%1").arg(os::userId());
    {
        const ScopedEnv env("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        EXPECT_EQ(platform::UserTemporaryFolder(), runtime);
        EXPECT_EQ(TemporaryFolderFromEnvironment(), runtime);
        os::FaultInjection::failNext(os::Op::OwnerCheck, EPERM, 1, 0, "/runtime");
        EXPECT_EQ(platform::UserTemporaryFolder(), perUser) << "another user's runtime folder";
    }
    {
        const ScopedEnv env("XDG_RUNTIME_DIR",
                            QFile::encodeName(folder("shared", QFileDevice::ReadOther | QFileDevice::ExeOther)));
        EXPECT_EQ(platform::UserTemporaryFolder(), perUser) << "a runtime folder others may read";
    }
    const ScopedEnv noRuntime("XDG_RUNTIME_DIR", QByteArray());
    EXPECT_EQ(TemporaryFolderFromEnvironment(), perUser);
    const auto st = os::linkStatus(perUser);
    ASSERT_TRUE(st);
    EXPECT_EQ(st->kind, os::FileKind::Folder);
    EXPECT_TRUE(st->ownedByUser);
    EXPECT_TRUE(st->privateToOwner);

    // Someone else made it first: another private folder takes its place.
    os::FaultInjection::failNext(os::Op::OwnerCheck, EPERM, 1, 0, perUser);
    const QString instead = platform::UserTemporaryFolder();
    EXPECT_NE(instead, perUser);
    EXPECT_EQ(instead, platform::RunFolder());
    EXPECT_EQ(FolderRefusal(instead), "");
}
