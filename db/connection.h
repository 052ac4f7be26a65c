// The connection to one catalogue database, shaped after the ADO connection the screens
// were designed against: a connection string, a provider name, open/close/connected.
//
// Only the Jet provider ("Microsoft.Jet.OLEDB.4.0") exists on this platform: it reads the
// .mdb file once into an in-memory SQL engine and answers every query there. The file
// itself is never written. Other providers fail to open with DbErrc::Provider.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace db {

namespace detail {
class Engine;
}

enum class ConnectMode { Read, ReadWrite };

// Indexes the caller's queries need beyond those the file has: each names the columns of
// one index (without ',' or ';'), matched without regard to case. A table gets the index
// when it has all of them and no index of the file, or of an earlier hint, starts with
// the first. Without them, a join on a column the file does not index scans the table.
using IndexHints = QList<QStringList>;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // The connection string as set; once open, as the provider reports it: the keywords
    // and the database path that were set, never the password.
    QString ConnectionString() const;
    void setConnectionString(const QString &text);

    // The provider named before opening (design setting), or the one in use once open.
    QString Provider() const;
    void setProvider(const QString &name);

    // The index hints of the next Open (none until set).
    const IndexHints &indexHints() const { return m_indexHints; }
    void setIndexHints(const IndexHints &hints) { m_indexHints = hints; }

    // Opens with the connection string; raises DbError and stays closed on any failure.
    void Open();
    // Closes; closing a closed connection does nothing.
    void Close();
    bool Connected() const;
    // When the open catalogue file was made, as its header records it (the date a
    // catalogue is issued with); invalid while closed or when the file keeps none.
    QDateTime CreationDate() const { return m_engine ? m_created : QDateTime(); }
    // Why the last Open failed (its error message); empty after a successful one.
    QString LastOpenError() const { return m_lastOpenError; }

    // Seconds the first open's copy of the catalogue may take before it is given up.
    int CommandTimeout() const { return m_commandTimeout; }
    void setCommandTimeout(int seconds) { m_commandTimeout = seconds; }
    // The design's connect mode, kept so that the data module sets what the design sets;
    // the provider never reads it: the catalogue is only ever read.
    ConnectMode Mode() const { return m_mode; }
    void setMode(ConnectMode mode) { m_mode = mode; }

    // The engine behind an open connection, for the queries of this layer.
    detail::Engine *engine() const;

private:
    void openChecked();

    QString m_lastOpenError;
    QString m_connectionString;
    QString m_openString; // what an open connection reports: no password
    QDateTime m_created;
    QString m_provider;
    int m_commandTimeout = 60;
    IndexHints m_indexHints;
    ConnectMode m_mode = ConnectMode::ReadWrite;
    std::unique_ptr<detail::Engine> m_engine;
};

} // namespace db
