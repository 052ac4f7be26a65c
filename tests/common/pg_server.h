// A PostgreSQL server of the tests' own: initdb into a temporary folder and pg_ctl start
// listening on a Unix socket in that folder only (no TCP port), as the postgres user
// when the tests run as the superuser (PostgreSQL refuses to run as root). One per test
// process, started when a test first asks for it and stopped and removed when the
// process's tests end (a GoogleTest environment). Debian keeps the server's programs in
// /usr/lib/postgresql/<version>/bin, off the PATH.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class PgServer {
public:
    // The process's server, started on the first call; null, with the reason in `why`,
    // when there is none to start (not installed, initdb or pg_ctl failed).
    static PgServer *shared(QString *why);

    // A new, empty database on the server, as a database= URL.
    QString newDatabase();
    // The URL of an existing database.
    QString url(const QString &database) const;
    // The socket folder, for libpq's host=.
    QString socketFolder() const { return m_dir.path(); }

    // Stops the server (clients are disconnected) and starts it again, on the same data.
    bool stop();
    bool start();

    ~PgServer();

private:
    PgServer() = default;
    bool initialise(QString *why);
    // Runs a server program, as postgres when this process is the superuser.
    bool runTool(const QString &tool, const QStringList &args, QString *output = nullptr) const;

    QTemporaryDir m_dir;
    QString m_bin;
    bool m_asPostgres = false;
    bool m_running = false;
    int m_databases = 0;
};

// In a test body: `server` the shared server, or the test skipped saying why (a failure
// when CI=true, where a missing server means the machine was not set up).
#define SHOP_PG_SERVER(server)                                                                                         \
    PgServer *server = nullptr;                                                                                        \
    do {                                                                                                               \
        QString why_;                                                                                                  \
        server = PgServer::shared(&why_);                                                                              \
        if (!server) {                                                                                                 \
            if (qgetenv("CI") == "true")                                                                               \
                FAIL() << "no PostgreSQL server for the tests: " << why_.toStdString();                                \
            GTEST_SKIP() << "no PostgreSQL server for the tests: " << why_.toStdString();                              \
        }                                                                                                              \
    } while (false)
