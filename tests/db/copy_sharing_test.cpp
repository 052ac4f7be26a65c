// The cache shared by the processes of one user: two processes opening a catalogue that
// has no copy yet make one copy between them, and the temporary copies of a process that
// was killed are removed by the next open while those of a running one stay.
#include "platform/os_process.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using dbtest::ScopedEnv;

namespace {

const QString kVehicle = QStringLiteral("SELECT Marca FROM CP_Veicoli WHERE idVeicolo = 1001");

// The helper, started through a script that counts its starts and takes a second more,
// so that two opens begun together surely overlap.
QString countingHelper(const QTemporaryDir &dir, const QString &count)
{
    const QString path = dir.filePath("counting-helper");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\necho started >> '%1'\nsleep 1\nexec '%2' \"$@\"\n")
                .arg(count, testsupport::appDir() + QStringLiteral("/catalogue-copy"))
                .toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

TEST(CopySharingTest, TwoProcessesOpeningACatalogueWithoutACopyMakeOneCopy)
{
    QTemporaryDir cache, dir;
    const QString count = dir.filePath("starts");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CATALOG_CACHE_DIR", cache.path());
    env.insert("CATALOG_COPY_HELPER", countingHelper(dir, count));
    QProcess first, second;
    for (QProcess *p : {&first, &second}) {
        p->setProcessEnvironment(env);
        p->start(testsupport::binDir() + "/tools/jet-query/jet-query", {dbtest::smallCatalogue(), kVehicle});
    }
    for (QProcess *p : {&first, &second}) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        EXPECT_EQ(p->readAllStandardOutput(), "Marca\nAurelia Motori\n");
    }
    QFile starts(count);
    ASSERT_TRUE(starts.open(QIODevice::ReadOnly));
    EXPECT_EQ(starts.readAll().count("started"), 2) << "one helper per share, for one copy";
    EXPECT_EQ(QDir(cache.path()).entryList({"*.sqlite"}, QDir::Files).size(), 2);
    EXPECT_EQ(QDir(cache.path()).entryList({"*.tmp-*"}, QDir::Files), QStringList());
}

TEST(CopySharingTest, TheTemporaryCopiesOfAGoneProcessAreRemovedAndThoseOfARunningOneKept)
{
    QTemporaryDir cache;
    const ScopedEnv cacheDir("CATALOG_CACHE_DIR", QFile::encodeName(cache.path()));
    QProcess ended;
    ended.start("true");
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 gone = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    ASSERT_FALSE(platform::os::processAlive(gone));
    QProcess running;
    running.start("sleep", {"60"});
    ASSERT_TRUE(running.waitForStarted());
    ASSERT_TRUE(platform::os::processAlive(running.processId()));

    const QString other = "0123456789abcdef"; // another catalogue's copy
    const QStringList leftovers = {
        QStringLiteral("%1.sqlite.tmp-%2-0").arg(other).arg(gone),
        QStringLiteral("%1-largest.sqlite.tmp-%2-1").arg(other).arg(gone),
    };
    const QStringList kept = {
        QStringLiteral("%1.sqlite.tmp-%2-0").arg(other).arg(running.processId()),
        QStringLiteral("%1.sqlite.tmp-%2-3").arg(other).arg(platform::os::processId()),
        QStringLiteral("%1.sqlite").arg(other),
    };
    for (const QString &name : leftovers + kept) {
        QFile f(cache.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    EXPECT_EQ(dbtest::rowsOf(*dbtest::openSmall(), kVehicle), QStringList{"Aurelia Motori"});
    const QStringList now = QDir(cache.path()).entryList(QDir::Files);
    for (const QString &name : leftovers)
        EXPECT_FALSE(now.contains(name)) << name.toStdString();
    for (const QString &name : kept)
        EXPECT_TRUE(now.contains(name)) << name.toStdString();
    running.kill();
    running.waitForFinished();
}

} // namespace
