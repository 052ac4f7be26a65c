// Reading a catalogue for the tools: one SELECT * per table through the database layer,
// every value kept as text (or Null), since the tools compare and show values as the
// program shows them. A large catalogue is about 375,000 rows; reading is one pass each.
#include "report/catalogue_tables.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/query.h"
#include "report/schema.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <exception>
#include <memory>
#include <stdexcept>

namespace catalog::report {

int Table::column(const QString &columnName) const
{
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (columns[i].compare(columnName, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QString OpenOptions::DefaultPassword()
{
    QString p;
    for (char16_t c = 1; c <= 20; ++c)
        p += QChar(c);
    return p;
}

QString ConnectionStringFor(const QString &mdb, const OpenOptions &options)
{
    const QString workgroup =
        options.workgroup.isEmpty() ? QFileInfo(mdb).absolutePath() + QStringLiteral("/system.mdw") : options.workgroup;
    const QString password = u'\'' + QString(options.password).replace(u'\'', QStringLiteral("''")) + u'\'';
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Persist Security Info=False;"
                          "Jet OLEDB:Database Password=%2;Jet OLEDB:System database=\"%3\"")
        .arg(mdb, password, workgroup);
}

namespace {

Table readTable(db::Connection &connection, const char *name)
{
    Table table;
    table.name = QString::fromLatin1(name);
    db::Query query(connection);
    query.AddSQL(QStringLiteral("SELECT * FROM [%1]").arg(table.name));
    bool started = false;
    try {
        // Streamed: the rows go straight into the table, never held twice.
        query.Stream(
            [&](const QStringList &names) {
                started = true;
                table.columns = names;
            },
            [&](db::RecordTexts &record) { table.rows.push_back(std::move(record)); });
    } catch (const db::DbError &e) {
        // The file opened, so a statement this plain fails to start only for a missing
        // table; a failure while reading (a time-out) is the caller's to see.
        if (e.code() != db::DbErrc::Sql || started)
            throw;
        return table;
    }
    table.present = true;
    return table;
}

} // namespace

Catalogue ReadCatalogue(const QString &mdb, const OpenOptions &options)
{
    db::Connection connection;
    connection.setConnectionString(ConnectionStringFor(mdb, options));
    connection.setIndexHints(schema::IndexHints()); // the program's, so both use one copy
    connection.Open();
    Catalogue c;
    c.path = mdb;
    c.vehicles = readTable(connection, schema::vehicles::table);
    c.relations = readTable(connection, schema::relations::table);
    c.fitments = readTable(connection, schema::fitments::table);
    c.batteries = readTable(connection, schema::batteries::table);
    c.oneRow = readTable(connection, schema::oneRow::table);
    return c;
}

std::pair<Catalogue, Catalogue> ReadCatalogues(const QString &oldMdb, const QString &newMdb, const OpenOptions &options)
{
    // Both threads ask where the program is, to find the copy helper, and Qt keeps the
    // answer the first time it is asked without a lock: asked here first, it is kept once.
    if (QCoreApplication::instance())
        QCoreApplication::applicationFilePath();
    std::pair<Catalogue, Catalogue> both;
    std::exception_ptr newError;
    // A QThread, not a bare one: opening starts the copy helper, and a process is watched
    // through the thread's event dispatcher.
    std::unique_ptr<QThread> reader(QThread::create([&] {
        try {
            both.second = ReadCatalogue(newMdb, options);
        } catch (...) {
            newError = std::current_exception();
        }
    }));
    reader->start();
    std::exception_ptr oldError;
    try {
        both.first = ReadCatalogue(oldMdb, options);
    } catch (...) {
        oldError = std::current_exception();
    }
    reader->wait();
    if (oldError)
        std::rethrow_exception(oldError);
    if (newError)
        std::rethrow_exception(newError);
    return both;
}

bool IsOldCodeRow(const Table &batteries, const Row &row)
{
    const int oldCode = batteries.column(QString::fromLatin1(schema::batteries::OLD_CODICE));
    return oldCode >= 0 && row[size_t(oldCode)] && !row[size_t(oldCode)]->trimmed().isEmpty();
}

QString VehicleName(const Table &vehicles, const Row &row)
{
    QStringList parts;
    for (const char *c : {schema::vehicles::Marca, schema::vehicles::Modello, schema::vehicles::Versione}) {
        const int column = vehicles.column(QString::fromLatin1(c));
        if (column >= 0 && row[size_t(column)] && !row[size_t(column)]->trimmed().isEmpty())
            parts << row[size_t(column)]->trimmed();
    }
    return parts.join(u' ');
}

int CompareKeys(const QStringList &a, const QStringList &b)
{
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i) {
        bool aNumber = false, bNumber = false;
        const qlonglong x = a[i].toLongLong(&aNumber), y = b[i].toLongLong(&bNumber);
        if (aNumber && bNumber) {
            if (x != y)
                return x < y ? -1 : 1;
        } else if (const int c = a[i].compare(b[i]); c != 0) {
            return c;
        }
    }
    return int(a.size() - b.size());
}

QString KeyText(std::initializer_list<const Value *> parts)
{
    QStringList texts;
    for (const Value *v : parts)
        texts << (v && *v ? **v : QString());
    return texts.join(u'/');
}

} // namespace catalog::report
