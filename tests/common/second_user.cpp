// The second user's scratch folder and runs.
#include "tests/common/second_user.h"

#include "tests/common/test_support.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int changeMode(const QString &path, mode_t mode) { return ::chmod(QFile::encodeName(path).constData(), mode); }

} // namespace

void SecondUserTest::SetUp()
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a second user needs the superuser to run a program as another user";
    m_runuser = QStandardPaths::findExecutable("runuser");
    if (m_runuser.isEmpty())
        GTEST_SKIP() << "runuser is missing";
    ASSERT_EQ(changeMode(scratch.path(), 0755), 0);
    ASSERT_TRUE(QDir().mkpath(path("bin")));
    ASSERT_TRUE(QDir().mkpath(path("shared")));
    ASSERT_EQ(changeMode(path("shared"), 01777), 0);
}

QString SecondUserTest::path(const QString &relative) const { return scratch.path() + '/' + relative; }

QString SecondUserTest::program(const QString &relative) const
{
    const QString to = path("bin/" + QFileInfo(relative).fileName());
    const QString from = QFileInfo(relative).isAbsolute() ? relative : testsupport::binDir() + '/' + relative;
    EXPECT_TRUE(QFile::copy(from, to)) << from.toStdString();
    EXPECT_EQ(changeMode(to, 0755), 0);
    return to;
}

QString SecondUserTest::ownFolder(const QString &relative, unsigned uid) const
{
    EXPECT_TRUE(QDir().mkpath(path(relative)));
    EXPECT_EQ(::chown(QFile::encodeName(path(relative)).constData(), uid, uid), 0);
    EXPECT_EQ(changeMode(path(relative), 0700), 0);
    return path(relative);
}

void SecondUserTest::openToAll(const QString &folder)
{
    changeMode(folder, 0755);
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString entry = it.next();
        const bool enter = it.fileInfo().isDir() || it.fileInfo().isExecutable();
        changeMode(entry, enter ? 0755 : 0644);
    }
}

SecondUserTest::Run SecondUserTest::run(bool asNobody, const QStringList &env, const QString &program,
                                        const QStringList &args) const
{
    QStringList command;
    for (const char *name : {"TEMP", "TMPDIR", "HOME", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "CATALOG_CACHE_DIR"})
        command << "-u" << name;
    command << "QT_QPA_PLATFORM=offscreen" << env << program << args;
    QProcess p;
    p.setWorkingDirectory(scratch.path());
    if (asNobody)
        p.start(m_runuser, QStringList{"-u", "nobody", "--", "env"} + command);
    else
        p.start("env", command);
    EXPECT_TRUE(p.waitForFinished(120000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
