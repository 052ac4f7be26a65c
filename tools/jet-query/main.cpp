// jet-query: runs one Jet SQL statement on a catalogue file through the database layer
// and prints the result, '|' between values, a header line of column names first.
#include "db/connection.h"
#include "db/db_error.h"
#include "db/query.h"
#include "platform/command_line.h"
#include "report/catalogue_tables.h"
#include "report/report_error.h"
#include "report/schema.h"
#include "report/tool_arguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <stdexcept>

namespace {

// A value holding the separator, a quote or a line break goes between double quotes with
// its quotes doubled, so every record stays one readable unit.
QString encode(const QString &value)
{
    if (!value.contains(u'|') && !value.contains(u'"') && !value.contains(u'\r') && !value.contains(u'\n'))
        return value;
    return u'"' + QString(value).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString help()
{
    return QStringLiteral("usage: jet-query [options] DB.mdb \"SQL\"\n") + catalog::report::OpenOptionsHelp();
}

int usage()
{
    std::fputs(qPrintable(help()), stderr);
    return 2;
}

void print(const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    catalog::report::AddOpenOptions(parser);
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QString());
    parser.addOption(helpOption);
    catalog::report::OpenOptions options;
    try {
        if (const auto fault = platform::ParseCommandLine(parser, app.arguments().mid(1))) {
            // An option it does not know gets the usage alone; a missing value is named.
            if (fault->kind == platform::CommandLineFault::UnknownOption)
                return usage();
            std::fprintf(stderr, "jet-query: %s\n", qPrintable(fault->message));
            return 2;
        }
        options = catalog::report::ReadOpenOptions(parser);
    } catch (const catalog::report::ReportError &e) {
        // A bad opening option is a usage error, as in the other tools.
        std::fprintf(stderr, "jet-query: %s\n", e.what());
        return 2;
    }
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(help()), stdout);
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return usage();

    try {
        db::Connection connection;
        connection.setConnectionString(catalog::report::ConnectionStringFor(positional[0], options));
        // A catalogue's statements run as fast as in the program, on the program's copy.
        connection.setIndexHints(catalog::schema::IndexHints());
        connection.Open();
        db::Query query(connection);
        query.ClearSQL();
        query.AddSQL(positional[1]);
        query.Open();
        QStringList names;
        for (int i = 0; i < query.FieldCount(); ++i)
            names << encode(query.FieldName(i));
        print(names.join(u'|'));
        for (query.First(); !query.Eof(); query.Next()) {
            QStringList values;
            for (int i = 0; i < query.FieldCount(); ++i)
                values << encode(query.AsString(i));
            print(values.join(u'|'));
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "jet-query: %s\n", e.what());
        return 1;
    }
    return 0;
}
