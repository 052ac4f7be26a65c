// A long day at the counter, played by the UI script driver against a scratch program
// folder: visit after visit of brand, drill-down, searches, applications mode, zoom and
// back. The live heap must stop growing once the program has warmed up, no file
// descriptor may leak, no exchange file may be left behind, and the sanitizers must stay
// silent. The resident size is printed but not judged: under AddressSanitizer it grows by
// some 14 kB a visit with the allocation stacks the sanitizer records (its fast unwinder
// meets frames of libraries built without frame pointers and files many a garbage stack
// as new), while the live heap the driver reads from the allocator stays flat.
//
// CATALOG_SOAK_VISITS sets the number of visits (default 1,000: about three minutes
// under ASan). Growth is measured from the end of the warm-up, a tenth of the visits
// (at least 50), to the last visit.
#include "tests/common/test_support.h"
#include "tests/reliability/scratch_program.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <iostream>

namespace {

// One visit; the make clicked changes from visit to visit.
QString visitScript(int visit)
{
    return QStringLiteral("brand KORVA\n"
                          "click-cell gridMarca %1\n"
                          "click-cell gridModello 1\n"
                          "click-cell gridVersione 1\n"
                          "click VrBitmapButton1\n"
                          "click VrBitmapButtonApplicazioni\n"
                          "type EditCapacita 60\n"
                          "click VrBitmapButton2\n"
                          "click VrBitmapButtonZoom\n"
                          "click ZoomFoto\n"
                          "click VrBitmapButton6\n")
        .arg(visit % 4 + 1);
}

qint64 residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLongLong();
    }
    return -1;
}

int openDescriptors(qint64 pid)
{
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

struct Sample {
    int visit;
    qint64 rssKb;
    qint64 heapKb;
    int fds;
};

} // namespace

TEST(Soak, ALongDayThroughTheScriptDriver)
{
    const int visits =
        qEnvironmentVariableIsSet("CATALOG_SOAK_VISITS") ? qEnvironmentVariableIntValue("CATALOG_SOAK_VISITS") : 1000;
    ASSERT_GE(visits, 20);
    const int warmUp = std::max(50, visits / 10);
    const int every = std::max(5, visits / 40);

    QTemporaryDir program, temp, cache, work;
    CopyProgramFolder(testsupport::appDir(), program.path());
    QString script;
    for (int v = 1; v <= visits; ++v) {
        script += visitScript(v);
        // A checkpoint: the state is printed, then the driver idles while it is measured.
        if (v == 1 || v == warmUp || v % every == 0 || v == visits)
            script += QStringLiteral("dump\nwait 300\n");
    }
    const QString scriptPath = work.filePath(QStringLiteral("soak.txt"));
    {
        QFile f(scriptPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(script.toUtf8());
    }

    QProcess driver;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TEMP"), temp.path());
    env.insert(QStringLiteral("CATALOG_CACHE_DIR"), cache.path());
    // No quarantine: the allocator's keeping of freed memory would pass for growth.
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               QStringLiteral("detect_leaks=1:quarantine_size_mb=0:thread_local_quarantine_size_kb=0"));
    driver.setProcessEnvironment(env);
    driver.setWorkingDirectory(work.path());
    driver.start(testsupport::binDir() + QStringLiteral("/tools/catalogue-script/catalogue-script"),
                 {program.path(), scriptPath});
    ASSERT_TRUE(driver.waitForStarted());
    const qint64 pid = driver.processId();

    // Checkpoints in script order: visit numbers of the dumps.
    std::vector<int> checkpoints;
    for (int v = 1; v <= visits; ++v) {
        if (v == 1 || v == warmUp || v % every == 0 || v == visits)
            checkpoints.push_back(v);
    }
    std::vector<Sample> samples;
    QByteArray pending;
    while (samples.size() < checkpoints.size() && driver.state() != QProcess::NotRunning) {
        if (!driver.canReadLine() && !driver.waitForReadyRead(600000))
            break;
        while (driver.canReadLine() && samples.size() < checkpoints.size()) {
            const QJsonObject dump = QJsonDocument::fromJson(driver.readLine()).object();
            samples.push_back({checkpoints[samples.size()], residentKb(pid),
                               qint64(dump["heapBytes"].toDouble(-1024)) / 1024, openDescriptors(pid)});
        }
    }
    ASSERT_TRUE(driver.waitForFinished(600000));
    const QString err = QString::fromUtf8(driver.readAllStandardError());
    EXPECT_EQ(driver.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(driver.exitCode(), 0) << err.toStdString();
    EXPECT_FALSE(err.contains(QLatin1String("Sanitizer")) || err.contains(QLatin1String("runtime error")))
        << err.toStdString();
    ASSERT_EQ(samples.size(), checkpoints.size()) << err.toStdString();

    Sample base{};
    for (const Sample &s : samples) {
        std::cout << "visit " << s.visit << ": " << s.heapKb << " kB live heap, " << s.rssKb << " kB resident, "
                  << s.fds << " descriptors\n";
        if (s.visit == warmUp)
            base = s;
    }
    const Sample &last = samples.back();
    ASSERT_GE(base.heapKb, 0) << "the driver's dump gave no heap figure";
    EXPECT_LE(last.heapKb - base.heapKb, 5 * 1024) << "the live heap grew after the warm-up";
    EXPECT_LE(last.fds, base.fds) << "file descriptors leaked";

    // The exchange file goes after every load; only its lock stays, one per computer.
    const QDir exchange(temp.path() + QStringLiteral("/kelpStone"));
    for (const QString &name : exchange.entryList(QDir::Files | QDir::Hidden | QDir::System))
        EXPECT_TRUE(name.endsWith(QLatin1String(".lock"))) << "left in the exchange folder: " << name.toStdString();
}
