// The operating-system seam on real files in a scratch folder: what a path is, reads and
// writes at offsets, the exclusive lock against a second open, atomic renames, and every
// operation made to fail through the test hook.
#include "platform/os_faults.h"
#include "platform/os_files.h"
#include "platform/os_process.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>

namespace os = platform::os;

namespace {

class OsFiles : public ::testing::Test {
protected:
    void TearDown() override { os::FaultInjection::clear(); }

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

TEST_F(OsFiles, StatusNamesTheFileWhateverPathReachesIt)
{
    const QString path = write("a.txt", "hello");
    const QString link = dir.filePath("link");
    ASSERT_TRUE(QFile::link(path, link));

    const auto st = os::status(path);
    ASSERT_TRUE(st);
    EXPECT_EQ(st->kind, os::FileKind::Regular);
    EXPECT_EQ(st->size, 5);
    EXPECT_TRUE(st->ownedByUser);
    EXPECT_GT(st->mtimeNs, qint64(1600000000) * 1000000000); // written just now

    const auto through = os::status(link);
    ASSERT_TRUE(through);
    EXPECT_EQ(through->device, st->device);
    EXPECT_EQ(through->inode, st->inode);
    const auto itself = os::linkStatus(link);
    ASSERT_TRUE(itself);
    EXPECT_EQ(itself->kind, os::FileKind::Link);
    EXPECT_NE(itself->inode, st->inode);
    EXPECT_EQ(os::status(dir.path())->kind, os::FileKind::Folder);

    // A file written again under the same name is another identity.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.setFileTime(QDateTime::fromSecsSinceEpoch(1000), QFileDevice::FileModificationTime));
    f.close();
    const auto again = os::status(path);
    EXPECT_EQ(again->inode, st->inode);
    EXPECT_EQ(again->size, 0);
    EXPECT_EQ(again->mtimeNs, qint64(1000) * 1000000000);

    int error = 0;
    EXPECT_FALSE(os::status(dir.filePath("missing"), &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(os::linkStatus(dir.filePath("missing/x"), &error));
    EXPECT_EQ(error, ENOENT);
}

TEST_F(OsFiles, FoldersMadePrivate)
{
    const QString folder = dir.filePath("private");
    ASSERT_TRUE(os::makeFolder(folder));
    EXPECT_TRUE(os::status(folder)->privateToOwner);
    int error = 0;
    EXPECT_FALSE(os::makeFolder(folder, &error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_FALSE(os::makeFolder(dir.filePath("no/parent"), &error));
    EXPECT_EQ(error, ENOENT);

    const QString open = dir.filePath("open");
    ASSERT_TRUE(QDir().mkdir(open));
    ASSERT_TRUE(QFile::setPermissions(open, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                | QFileDevice::ReadGroup | QFileDevice::ExeOther));
    EXPECT_FALSE(os::status(open)->privateToOwner);
    ASSERT_TRUE(os::makePrivate(open));
    EXPECT_TRUE(os::status(open)->privateToOwner);
    EXPECT_TRUE(QFile::permissions(open).testFlag(QFileDevice::WriteOwner));
}

// A folder of a new name for each call, private; a tree removed without following the
// links in it; who may write a folder.
TEST_F(OsFiles, TemporaryFoldersAndTheirRemoval)
{
    int error = 0;
    const QString a = os::makeTemporaryFolder(dir.filePath("run-"), &error);
    const QString b = os::makeTemporaryFolder(dir.filePath("run-"));
    ASSERT_FALSE(a.isEmpty()) << os::errorText(error).toStdString();
    ASSERT_FALSE(b.isEmpty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(a.startsWith(dir.filePath("run-")));
    const auto st = os::linkStatus(a);
    ASSERT_TRUE(st);
    EXPECT_EQ(st->kind, os::FileKind::Folder);
    EXPECT_TRUE(st->ownedByUser);
    EXPECT_TRUE(st->privateToOwner);
    EXPECT_FALSE(st->writableByOthers);
    EXPECT_TRUE(os::writable(a));
    EXPECT_TRUE(os::makeTemporaryFolder(dir.filePath("missing/run-"), &error).isEmpty());
    EXPECT_EQ(error, ENOENT);

    // What a link inside points to stays.
    const QString kept = write("kept.txt", "keep");
    ASSERT_TRUE(QDir().mkpath(a + "/x/y"));
    QFile f(a + "/x/y/z.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ASSERT_TRUE(QFile::link(kept, a + "/x/file-link"));
    ASSERT_TRUE(QFile::link(dir.path(), a + "/folder-link"));
    ASSERT_TRUE(os::removeTree(a, &error)) << os::errorText(error).toStdString();
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_EQ(read(kept), "keep");
    EXPECT_TRUE(QFileInfo::exists(b)) << "only the folder named is removed";
    EXPECT_FALSE(os::removeTree(a, &error));
    EXPECT_EQ(error, ENOENT);

    ASSERT_TRUE(QFile::setPermissions(b, QFile::permissions(b) | QFileDevice::WriteGroup));
    EXPECT_TRUE(os::status(b)->writableByOthers);

    os::FaultInjection::failNext(os::Op::TempFolder, ENOSPC);
    EXPECT_TRUE(os::makeTemporaryFolder(dir.filePath("run-"), &error).isEmpty());
    EXPECT_EQ(error, ENOSPC);
    os::FaultInjection::failNext(os::Op::Writable, EROFS);
    EXPECT_FALSE(os::writable(b, &error));
    EXPECT_EQ(error, EROFS);
}

TEST_F(OsFiles, ReadsAndWritesAtOffsets)
{
    const QString path = write("data", "0123456789");
    os::File file(path, os::Access::ReadWrite);
    ASSERT_TRUE(file.isOpen()) << file.error();
    EXPECT_TRUE(file.writeAt(4, "ab", 2));
    EXPECT_TRUE(file.writeAt(12, "z", 1)); // past the end: a hole before it
    char buf[16] = {};
    EXPECT_EQ(file.readAt(2, buf, 4), 4);
    EXPECT_EQ(QByteArray(buf, 4), "23ab");
    EXPECT_EQ(file.readAt(8, buf, 16), 5); // short only at the end
    EXPECT_EQ(QByteArray(buf, 5), QByteArray("89\0\0z", 5));
    EXPECT_EQ(file.status()->size, 13);
    file.close();
    EXPECT_EQ(read(path), QByteArray("0123ab6789\0\0z", 13));

    os::File readOnly(path, os::Access::Read);
    EXPECT_FALSE(readOnly.writeAt(0, "x", 1));
    EXPECT_EQ(readOnly.error(), EBADF);

    os::File missing(dir.filePath("missing"), os::Access::ReadWrite);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.error(), ENOENT);
}

TEST_F(OsFiles, OpenCreatesPrivateAndRefusesLinks)
{
    const QString made = dir.filePath("made");
    os::File file(made, os::Access::Write, os::CreatePrivate | os::NoFollow);
    ASSERT_TRUE(file.isOpen());
    EXPECT_TRUE(os::status(made)->privateToOwner);

    const QString target = write("target", "keep");
    const QString link = dir.filePath("link");
    ASSERT_TRUE(QFile::link(target, link));
    os::File through(link, os::Access::Write, os::NoFollow);
    EXPECT_FALSE(through.isOpen());
    EXPECT_EQ(through.error(), ELOOP);
    os::FileLock lock(link);
    EXPECT_EQ(lock.error(), ELOOP);
    EXPECT_FALSE(lock.tryLock());
    EXPECT_EQ(read(target), "keep");

    os::File moved = std::move(file);
    EXPECT_TRUE(moved.isOpen());
    EXPECT_FALSE(file.isOpen());
}

// The lock is held against another open of the file, in this process as in another.
TEST_F(OsFiles, LockHeldAgainstASecondOpen)
{
    const QString path = dir.filePath("x.lock");
    {
        os::FileLock first(path);
        ASSERT_EQ(first.error(), 0);
        ASSERT_TRUE(first.tryLock());
        EXPECT_TRUE(first.tryLock()); // already ours

        os::FileLock second(path);
        EXPECT_FALSE(second.tryLock());
        EXPECT_FALSE(second.isLocked());
        os::File plain(path, os::Access::Write);
        EXPECT_FALSE(plain.tryLock());
        EXPECT_EQ(plain.error(), EWOULDBLOCK);

        first.unlock();
        EXPECT_TRUE(second.tryLock());
        EXPECT_FALSE(first.tryLock());
    } // destruction releases
    os::File plain(path, os::Access::Write);
    EXPECT_TRUE(plain.tryLock());
    EXPECT_TRUE(os::status(path)->privateToOwner);
}

TEST_F(OsFiles, RenameReplacesInOneStep)
{
    const QString from = write("new", "new contents");
    const QString to = write("old", "old");
    const auto identity = os::status(from);
    ASSERT_TRUE(os::renameFile(from, to));
    EXPECT_FALSE(QFile::exists(from));
    EXPECT_EQ(read(to), "new contents");
    EXPECT_EQ(os::status(to)->inode, identity->inode);

    int error = 0;
    EXPECT_FALSE(os::renameFile(from, to, &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(os::errorText(ENOENT).isEmpty());
}

// Each operation fails when armed, with the error asked for, for as many calls as asked,
// after the ones it lets through; the real file is left as it was.
TEST_F(OsFiles, InjectedFailures)
{
    const QString path = write("f", "abcdef");
    int error = 0;

    os::FaultInjection::failNext(os::Op::Status, EACCES, 2, 1);
    EXPECT_TRUE(os::status(path));
    EXPECT_FALSE(os::status(path, &error));
    EXPECT_EQ(error, EACCES);
    EXPECT_FALSE(os::linkStatus(path, &error));
    EXPECT_EQ(os::FaultInjection::pending(os::Op::Status), 0);
    EXPECT_TRUE(os::status(path));

    // Aimed at one file, the others go through.
    const QString other = write("other", "x");
    os::FaultInjection::failNext(os::Op::Status, ENOENT, 1, 0, "/other");
    EXPECT_TRUE(os::status(path));
    EXPECT_FALSE(os::status(other, &error));
    EXPECT_EQ(error, ENOENT);

    os::FaultInjection::failNext(os::Op::OwnerCheck, EPERM);
    EXPECT_FALSE(os::status(path)->ownedByUser);
    EXPECT_TRUE(os::status(path)->ownedByUser);

    os::FaultInjection::failNext(os::Op::Open, EMFILE);
    os::File refused(path, os::Access::ReadWrite);
    EXPECT_FALSE(refused.isOpen());
    EXPECT_EQ(refused.error(), EMFILE);

    os::File file(path, os::Access::ReadWrite);
    ASSERT_TRUE(file.isOpen());
    char buf[6];
    os::FaultInjection::failNext(os::Op::Read, EIO);
    EXPECT_EQ(file.readAt(0, buf, 6), -1);
    EXPECT_EQ(file.error(), EIO);
    os::FaultInjection::failNext(os::Op::Write, ENOSPC);
    EXPECT_FALSE(file.writeAt(0, "XY", 2));
    EXPECT_EQ(file.error(), ENOSPC);
    EXPECT_EQ(read(path), "abcdef");

    // Interrupted calls are retried, as real ones are.
    os::FaultInjection::failNext(os::Op::Write, EINTR, 3);
    EXPECT_TRUE(file.writeAt(0, "XY", 2));
    os::FaultInjection::failNext(os::Op::Read, EINTR, 2);
    EXPECT_EQ(file.readAt(0, buf, 6), 6);
    EXPECT_EQ(QByteArray(buf, 6), "XYcdef");

    os::FaultInjection::failNext(os::Op::Lock, ENOLCK);
    os::FileLock lock(dir.filePath("f.lock"));
    EXPECT_FALSE(lock.tryLock());
    EXPECT_TRUE(lock.tryLock());

    os::FaultInjection::failNext(os::Op::Rename, EXDEV);
    EXPECT_FALSE(os::renameFile(path, dir.filePath("g"), &error));
    EXPECT_EQ(error, EXDEV);
    EXPECT_TRUE(QFile::exists(path));

    os::FaultInjection::failNext(os::Op::MakeFolder, EROFS);
    EXPECT_FALSE(os::makeFolder(dir.filePath("sub"), &error));
    EXPECT_EQ(error, EROFS);
    EXPECT_FALSE(QFile::exists(dir.filePath("sub")));
    os::FaultInjection::failNext(os::Op::MakePrivate, EPERM);
    EXPECT_FALSE(os::makePrivate(path, &error));
    EXPECT_EQ(error, EPERM);

    os::FaultInjection::failNext(os::Op::Rename, EXDEV, 5);
    os::FaultInjection::clear();
    EXPECT_TRUE(os::renameFile(path, dir.filePath("g")));
}

TEST(OsProcess, IdAndSleep)
{
    EXPECT_EQ(os::processId(), QCoreApplication::applicationPid());
    EXPECT_EQ(os::userId(), qint64(::geteuid()));
    QElapsedTimer timer;
    timer.start();
    os::sleepMs(30);
    EXPECT_GE(timer.elapsed(), 30);
}

} // namespace
