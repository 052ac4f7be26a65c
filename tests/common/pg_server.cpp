// The tests' PostgreSQL server: trust authentication on a socket only this process's
// folder holds, one superuser role "shoptest", fsync off (its data is thrown away).
#include "tests/common/pg_server.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <pwd.h>
#include <unistd.h>

namespace {

const char kRole[] = "shoptest";

std::unique_ptr<PgServer> &instance()
{
    static std::unique_ptr<PgServer> server;
    return server;
}

QString &failure()
{
    static QString why;
    return why;
}

// The newest installed server's programs.
QString serverBin()
{
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &v : versions)
        if (QFileInfo(root.filePath(v + QStringLiteral("/bin/initdb"))).isExecutable())
            return root.filePath(v + QStringLiteral("/bin"));
    return QString();
}

class Stopper : public ::testing::Environment {
public:
    void TearDown() override { instance().reset(); }
};

const auto *const kStopper = ::testing::AddGlobalTestEnvironment(new Stopper);

} // namespace

PgServer *PgServer::shared(QString *why)
{
    (void)kStopper;
    if (!instance() && failure().isEmpty()) {
        std::unique_ptr<PgServer> server(new PgServer);
        if (server->initialise(&failure()))
            instance() = std::move(server);
    }
    if (!instance())
        *why = failure();
    return instance().get();
}

bool PgServer::runTool(const QString &tool, const QStringList &args, QString *output) const
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QString program = m_bin + u'/' + tool;
    if (m_asPostgres)
        p.start(QStringLiteral("runuser"),
                QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} + args);
    else
        p.start(program, args);
    const bool ended = p.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return ended && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool PgServer::initialise(QString *why)
{
    m_bin = serverBin();
    if (m_bin.isEmpty()) {
        *why = QStringLiteral("initdb is not installed under /usr/lib/postgresql/<version>/bin "
                              "(Debian package postgresql; scripts/setup.sh installs it)");
        return false;
    }
    if (!m_dir.isValid()) {
        *why = QStringLiteral("no temporary folder for the server");
        return false;
    }
    m_asPostgres = ::geteuid() == 0;
    if (m_asPostgres) {
        const passwd *pw = ::getpwnam("postgres");
        if (!pw || QStandardPaths::findExecutable(QStringLiteral("runuser")).isEmpty()) {
            *why = QStringLiteral("the tests run as the superuser, and the postgres user or runuser is missing");
            return false;
        }
        // The server runs as postgres, and its folder must be postgres's own.
        if (::chown(QFile::encodeName(m_dir.path()).constData(), pw->pw_uid, pw->pw_gid) != 0) {
            *why = QStringLiteral("the server's folder cannot be given to postgres");
            return false;
        }
        // Its parents must let postgres through; QTemporaryDir's parent is TMPDIR.
        for (QString parent = QFileInfo(m_dir.path()).absolutePath(); parent != QLatin1String("/");
             parent = QFileInfo(parent).absolutePath())
            if (::access(QFile::encodeName(parent).constData(), X_OK) == 0
                && !(QFileInfo(parent).permissions() & QFileDevice::ExeOther)) {
                *why = QStringLiteral("postgres cannot enter %1 (set TMPDIR to a folder every user may enter)")
                           .arg(parent);
                return false;
            }
    }
    // A socket's path has room for about a hundred characters.
    if (m_dir.path().size() > 80) {
        *why = QStringLiteral("the temporary folder %1 is too long a path for a socket").arg(m_dir.path());
        return false;
    }
    QString out;
    if (!runTool(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-U"),
                  QString::fromLatin1(kRole), QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--no-locale"), QStringLiteral("-N")},
                 &out)) {
        *why = QStringLiteral("initdb failed: %1").arg(out.right(2000));
        return false;
    }
    if (!start()) {
        QFile log(m_dir.filePath(QStringLiteral("log")));
        log.open(QIODevice::ReadOnly);
        *why = QStringLiteral("pg_ctl start failed: %1").arg(QString::fromLocal8Bit(log.readAll().right(2000)));
        return false;
    }
    return true;
}

bool PgServer::start()
{
    const QString options = QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -c fsync=off "
                                           "-c full_page_writes=off -c max_connections=40")
                                .arg(m_dir.path());
    m_running = runTool(QStringLiteral("pg_ctl"),
                        {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-l"),
                         m_dir.filePath(QStringLiteral("log")), QStringLiteral("-w"), QStringLiteral("-t"),
                         QStringLiteral("60"), QStringLiteral("-o"), options, QStringLiteral("start")});
    return m_running;
}

bool PgServer::stop()
{
    if (!m_running)
        return true;
    m_running = !runTool(QStringLiteral("pg_ctl"),
                         {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                          QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    return !m_running;
}

PgServer::~PgServer() { stop(); }

QString PgServer::url(const QString &database) const
{
    return QStringLiteral("postgresql://%1@/%2?host=%3").arg(QString::fromLatin1(kRole), database, m_dir.path());
}

QString PgServer::newDatabase()
{
    const QString name = QStringLiteral("shop_%1_%2").arg(::getpid()).arg(++m_databases);
    QString out;
    const bool made =
        runTool(QStringLiteral("createdb"),
                {QStringLiteral("-h"), m_dir.path(), QStringLiteral("-U"), QString::fromLatin1(kRole), name}, &out);
    EXPECT_TRUE(made) << out.toStdString();
    return url(name);
}
