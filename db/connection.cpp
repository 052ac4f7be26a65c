// Opening a connection: the checks a Jet provider makes before any table is read (the
// provider, the file, its format, its password, the workgroup file), then the read-only
// SQLite copy that every query runs on.
#include "db/connection.h"
#include "db/connection_string_p.h"
#include "db/copy_cache_p.h"
#include "db/db_error.h"
#include "db/engine_p.h"
#include "db/jet_header_p.h"

#include <QFile>
#include <QFileInfo>

namespace db {

using namespace detail;

namespace {

// Paths written with Windows separators (the catalogue's own habit) still find the file.
QString localPath(const QString &path)
{
    if (QFileInfo::exists(path) || !path.contains(u'\\'))
        return path;
    return QString(path).replace(u'\\', u'/');
}

// The header page of a Jet file, and the whole of a smaller one.
constexpr qint64 kHeaderBytes = 4096;

// Opens `f` on `path` for reading and returns its first `limit` bytes.
QByteArray openAndRead(QFile &f, const QString &path, DbErrc code, const QString &what, qint64 limit)
{
    f.setFileName(path);
    if (!QFileInfo(path).isFile())
        raiseDbError(code, QStringLiteral("Could not find %1 \"%2\".").arg(what, path));
    if (!f.open(QIODevice::ReadOnly))
        raiseDbError(code, QStringLiteral("The %1 \"%2\" cannot be read: %3.").arg(what, path, f.errorString()));
    return f.read(limit);
}

} // namespace

Connection::Connection() : m_provider(QLatin1String(kJetProvider)) {}

Connection::~Connection() = default;

QString Connection::ConnectionString() const { return m_engine ? m_openString : m_connectionString; }

void Connection::setConnectionString(const QString &text) { m_connectionString = text; }

QString Connection::Provider() const { return m_provider; }

void Connection::setProvider(const QString &name) { m_provider = name; }

void Connection::Open()
{
    try {
        openChecked();
        m_lastOpenError.clear();
    } catch (const DbError &e) {
        // Kept so that the queries that fail afterwards can say why there is no connection.
        m_lastOpenError = QString::fromUtf8(e.what());
        throw;
    }
}

void Connection::openChecked()
{
    Close();
    const auto cs = detail::ConnectionString::parse(m_connectionString);

    QString provider = cs.value(QStringLiteral("Provider")).value_or(m_provider);
    if (const auto driver = cs.value(QStringLiteral("Driver")))
        provider = *driver; // an ODBC driver string goes through the ODBC provider
    if (provider.compare(QLatin1String(kJetProvider), Qt::CaseInsensitive) != 0)
        raiseDbError(DbErrc::Provider,
                     provider.isEmpty()
                         ? QStringLiteral("Cannot open: provider not available (the connection names no provider).")
                         : QStringLiteral(
                               "Cannot open: provider not available for \"%1\" on this platform; only %2 is installed.")
                               .arg(provider, QLatin1String(kJetProvider)));

    const QString source = localPath(cs.value(QStringLiteral("Data Source")).value_or(QString()));
    if (source.isEmpty())
        raiseDbError(DbErrc::Open, QStringLiteral("The connection string names no database file (Data Source)."));
    // Only the header is read here: an unchanged catalogue is recognised without reading
    // the rest (see sqliteCopyOf), and a changed one is read by the helpers that copy it.
    QFile file;
    const QByteArray head = openAndRead(file, source, DbErrc::Open, QStringLiteral("the database file"), kHeaderBytes);
    const JetHeader header = readJetHeader(head, source);

    const QString password = cs.value(QLatin1String(kPasswordKey)).value_or(QString());
    if (password != header.password)
        raiseDbError(DbErrc::Password,
                     QStringLiteral("Not a valid password: wrong password for the database \"%1\".").arg(source));

    if (const auto system = cs.value(QLatin1String(kSystemDbKey)); system && !system->isEmpty()) {
        const QString workgroup = localPath(*system);
        QFile workgroupFile;
        if (!looksLikeJetFile(openAndRead(workgroupFile, workgroup, DbErrc::Workgroup,
                                          QStringLiteral("the workgroup information file"), kHeaderBytes)))
            raiseDbError(DbErrc::Workgroup,
                         QStringLiteral("The workgroup information file \"%1\" is not a Jet file.").arg(workgroup));
    }

    const QStringList copy = sqliteCopyOf(source, file, m_indexHints, m_commandTimeout > 0 ? m_commandTimeout : 60);
    m_engine = std::make_unique<Engine>(copy.front(), copy.mid(1));
    m_openString = cs.withoutPassword();
    m_created = header.created;
    m_provider = QLatin1String(kJetProvider);
}

void Connection::Close() { m_engine.reset(); }

bool Connection::Connected() const { return m_engine != nullptr; }

detail::Engine *Connection::engine() const { return m_engine.get(); }

} // namespace db
