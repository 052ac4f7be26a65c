// Running the driver as a person does (a script file, a program folder, JSON on standard
// output) and reading the dumps.
#include "tests/tools/flows_support.h"

#include "tests/common/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace flows {

namespace {

// Generous: a run under the sanitizers on a busy machine takes seconds, a hung one never
// ends; this only keeps a hang from stalling the suite.
constexpr int kRunLimitMs = 300000;

void CopyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QDir source(from);
    for (const QFileInfo &entry : source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + "/" + entry.fileName();
        if (entry.isDir())
            CopyTree(entry.filePath(), target);
        else
            ASSERT_TRUE(QFile::copy(entry.filePath(), target)) << target.toStdString();
    }
}

} // namespace

Flow::Flow(const QString &programFolder, const QString &script)
{
    const QString path = m_dir.filePath("steps.txt");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(script.toUtf8());
    file.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("CATALOG_CACHE_DIR", testsupport::copyCacheDir());
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(m_dir.path());
    m_process.start(testsupport::binDir() + "/tools/catalogue-script/catalogue-script", {programFolder, path});
    EXPECT_TRUE(m_process.waitForStarted());
}

Flow::~Flow()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

bool Flow::ReadLines()
{
    m_pending += m_process.readAllStandardOutput();
    bool any = false;
    for (int end; (end = m_pending.indexOf('\n')) >= 0;) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (line.trimmed().isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        m_dumps.push_back(doc.object());
        any = true;
    }
    return any;
}

QJsonObject Flow::NextDump()
{
    while (m_read == m_dumps.size()) {
        if (m_process.state() == QProcess::NotRunning) {
            ReadLines();
            if (m_read == m_dumps.size())
                return {};
            break;
        }
        if (!m_process.waitForReadyRead(kRunLimitMs) && m_process.state() != QProcess::NotRunning) {
            ADD_FAILURE() << "the driver printed nothing for a long time";
            return {};
        }
        ReadLines();
    }
    return m_dumps[m_read++];
}

FlowResult Flow::Finish()
{
    FlowResult result;
    EXPECT_TRUE(m_process.waitForFinished(kRunLimitMs)) << "the driver did not end";
    ReadLines();
    result.exitCode = m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    result.err = QString::fromUtf8(m_process.readAllStandardError());
    result.dumps = m_dumps;
    return result;
}

Barrier::Barrier(const QTemporaryDir &in) : m_path(in.filePath("barrier.png"))
{
    EXPECT_EQ(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0) << m_path.toStdString();
}

void Barrier::Release(Flow &flow)
{
    // Not blocking: a driver that ended before the line would leave a blocking open
    // waiting for ever.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0) << m_path.toStdString();
    bool writerSeen = false;
    for (;;) {
        char buffer[65536];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            writerSeen = true;
            continue;
        }
        if (n == 0 && writerSeen)
            break; // the picture is written and the pipe closed
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            ADD_FAILURE() << "reading " << m_path.toStdString() << ": " << std::strerror(errno);
            break;
        }
        if (flow.m_process.state() == QProcess::NotRunning) {
            ADD_FAILURE() << "the driver ended before it reached " << Line().trimmed().toStdString();
            break;
        }
        // Keep reading its dumps meanwhile: a full output pipe would stop it before the line.
        flow.m_process.waitForReadyRead(5);
        flow.ReadLines();
    }
    ::close(fd);
}

FlowResult RunFlow(const QString &programFolder, const QString &script) { return Flow(programFolder, script).Finish(); }

QString DemoFolder()
{
    const QString folder = testsupport::appDir();
    EXPECT_TRUE(QFile::exists(folder + "/db/vc_korva.mdb")) << "the demo catalogue is not in " << folder.toStdString();
    return folder;
}

QString CopyDemoFolder(const QTemporaryDir &into)
{
    const QString copy = into.filePath("program");
    for (const char *part : {"img", "foto", "db"})
        CopyTree(DemoFolder() + "/" + part, copy + "/" + part);
    return copy;
}

void Damage(const QString &file)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    const QByteArray head = f.read(2000);
    f.close();
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(head + "this is no longer a picture");
}

// The `field` of every object in the dump's list `list`.
static QStringList Fields(const QJsonObject &dump, const char *list, const char *field)
{
    QStringList texts;
    for (const QJsonValue item : dump[list].toArray())
        texts << item[field].toString();
    return texts;
}

QStringList WindowNames(const QJsonObject &dump) { return Fields(dump, "windows", "name"); }

QJsonObject Grid(const QJsonObject &dump, const QString &name) { return dump["grids"][name].toObject(); }

QStringList Column(const QJsonObject &dump, const QString &grid, int n)
{
    QStringList texts;
    for (const QJsonValue row : Grid(dump, grid)["rows"].toArray())
        texts << row["cells"][n].toString();
    return texts;
}

QString Current(const QJsonObject &dump, const QString &grid, int col)
{
    return Grid(dump, grid)["current"][col].toString();
}

int CurrentRow(const QJsonObject &dump, const QString &grid) { return Grid(dump, grid)["CurrentRow"].toInt(); }

QString EditText(const QJsonObject &dump, const QString &edit) { return dump["edits"][edit]["text"].toString(); }

QString EditColor(const QJsonObject &dump, const QString &edit) { return dump["edits"][edit]["color"].toString(); }

QStringList MessageTexts(const QJsonObject &dump) { return Fields(dump, "messages", "text"); }

QString PhotoFile(const QJsonObject &dump, const QString &programFolder)
{
    const QString path = QDir::cleanPath(dump["photo"]["path"].toString());
    const QString prefix = QDir::cleanPath(programFolder) + "/";
    return path.startsWith(prefix) ? path.mid(prefix.size()) : path;
}

} // namespace flows
