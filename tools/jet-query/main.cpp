// jet-query: runs one Jet SQL statement on a catalogue file through the database layer
// and prints the result, '|' between values, a header line of column names first.
#include "db/connection.h"
#include "db/db_error.h"
#include "db/query.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

namespace {

// The program's fixed database password: the characters with the codes 1 to 20.
QString programPassword()
{
    QString p;
    for (char16_t c = 1; c <= 20; ++c)
        p += QChar(c);
    return p;
}

// A value holding the separator, a quote or a line break goes between double quotes with
// its quotes doubled, so every record stays one readable unit.
QString encode(const QString &value)
{
    if (!value.contains(u'|') && !value.contains(u'"') && !value.contains(u'\r') && !value.contains(u'\n'))
        return value;
    return u'"' + QString(value).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// The literal the connection string carries: single quotes, inner quotes doubled.
QString quoted(const QString &value) { return u'\'' + QString(value).replace(u'\'', QStringLiteral("''")) + u'\''; }

const char *const kUsage =
    "usage: jet-query [--password TEXT | --password-codes N,N,...] [--workgroup FILE] DB.mdb \"SQL\"\n"
    "  The password defaults to the program's (codes 1..20); the workgroup file to\n"
    "  system.mdw beside the database.\n";

int usage()
{
    std::fputs(kUsage, stderr);
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
    QStringList args = app.arguments().mid(1);
    QString password = programPassword();
    QString workgroup;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == u"--help" || a == u"-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == u"--password" && hasValue) {
            password = args[++i];
        } else if (a == u"--password-codes" && hasValue) {
            password.clear();
            for (const QString &code : args[++i].split(u',', Qt::SkipEmptyParts)) {
                bool ok = false;
                const uint c = code.trimmed().toUInt(&ok);
                if (!ok || c == 0 || c > 0xFFFF) {
                    std::fprintf(stderr, "jet-query: \"%s\" is not a character code\n", qPrintable(code));
                    return 2;
                }
                password += QChar(char16_t(c));
            }
        } else if (a == u"--workgroup" && hasValue) {
            workgroup = args[++i];
        } else if (a.startsWith(u"--")) {
            return usage();
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2)
        return usage();
    const QString database = positional[0];
    if (workgroup.isEmpty())
        workgroup = QFileInfo(database).absolutePath() + QStringLiteral("/system.mdw");

    try {
        db::Connection connection;
        connection.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Persist Security Info=False;"
                                                      "Jet OLEDB:Database Password=%2;Jet OLEDB:System database=\"%3\"")
                                           .arg(database, quoted(password), workgroup));
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
