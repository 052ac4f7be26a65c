// Reading the maker's two tables. Makers write them with a spreadsheet or by hand, so the
// reader takes what such tools write (a byte order mark, CRLF or LF line ends, quoted
// fields, letter case as it comes) and refuses only what it cannot be sure of: a line it
// would have to guess about is reported and left out, never half-used.
#include "report/maker_tables.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <functional>

namespace catalog::report {

namespace {

// The line split at ';' outside quotes, each field trimmed and unquoted; the last of
// `most` fields (0: no limit) takes the rest of the line, its ';' included.
QStringList splitFields(QStringView line, qsizetype most)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u';' && (most == 0 || fields.size() + 1 < most)) {
            fields << field.trimmed();
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field.trimmed();
    return fields;
}

bool headerIs(const QStringList &fields, const QStringList &names)
{
    if (fields.size() != names.size())
        return false;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (fields[i].compare(names[i], Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

// Calls `take(lineNumber, fields)` for each data line of a table whose header is one of
// `headers` (the number of the header's fields is handed on too), split into at most
// `most` fields; problems of decoding and of the header are recorded in `problems`.
void forEachLine(const QByteArray &bytes, const std::vector<QStringList> &headers, qsizetype most,
                 std::vector<TableProblem> &problems,
                 const std::function<void(int, qsizetype, const QStringList &)> &take)
{
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    int number = 0;
    qsizetype headerSize = -1;
    while (!rest.isEmpty()) {
        qsizetype end = rest.indexOf('\n');
        QByteArrayView raw = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        ++number;
        if (raw.endsWith('\r'))
            raw.chop(1);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = utf8.decode(raw);
        if (utf8.hasError()) {
            problems.push_back({number, TableFault::NotUtf8, {}, 0});
            if (headerSize < 0)
                return;
            continue;
        }
        if (line.trimmed().isEmpty())
            continue;
        const QStringList fields = splitFields(line, most);
        if (headerSize < 0) {
            for (const QStringList &header : headers) {
                if (headerIs(fields, header))
                    headerSize = header.size();
            }
            if (headerSize < 0) {
                problems.push_back({number, TableFault::Header, line.trimmed(), 0});
                return;
            }
            continue;
        }
        take(number, headerSize, fields);
    }
}

// Keys compare as the catalogue's joins compare texts: without regard to letter case.
QString keyOf(const QString &text) { return text.toCaseFolded(); }

// The table `name` in `folder`, parsed by `parse`: not present without the file, one
// Unreadable problem when it cannot be read.
template <class Table>
Table readTable(const QString &folder, const char *name, Table (*parse)(const QByteArray &, const QString &))
{
    Table table;
    table.path = QDir(folder).filePath(QLatin1String(name));
    QFile file(table.path);
    table.present = file.exists();
    if (!table.present)
        return table;
    if (!file.open(QIODevice::ReadOnly)) {
        table.problems.push_back({0, TableFault::Unreadable, file.errorString(), 0});
        return table;
    }
    return parse(file.readAll(), table.path);
}

} // namespace

Technology TechnologyFromWord(QStringView word)
{
    const QStringView w = word.trimmed();
    const auto is = [&](const char *name) { return w.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("AGM"))
        return Technology::Agm;
    if (is("EFB"))
        return Technology::Efb;
    if (is("GEL"))
        return Technology::Gel;
    if (is("TRADIZIONALE"))
        return Technology::Flooded;
    return Technology::Unknown;
}

TechnologyTable ParseTechnologyTable(const QByteArray &bytes, const QString &path)
{
    TechnologyTable table;
    table.present = true;
    table.path = path;
    QHash<QString, int> firstLine; // range or code key -> its line
    forEachLine(
        bytes, {{"GAMMA", "TECNOLOGIA"}, {"GAMMA", "TECNOLOGIA", "CODICE"}}, 0, table.problems,
        [&](int number, qsizetype columns, const QStringList &fields) {
            // A two-column table may still end its lines with an empty third field.
            if (fields.size() != columns && !(columns == 2 && fields.size() == 3 && fields[2].isEmpty())) {
                table.problems.push_back({number, TableFault::Fields, QString::number(fields.size()), 0});
                return;
            }
            TechnologyEntry e{number, fields[0], fields.value(2), TechnologyFromWord(fields[1])};
            if (e.range.isEmpty() && e.code.isEmpty()) {
                table.problems.push_back({number, TableFault::NoRange, {}, 0});
                return;
            }
            if (e.technology == Technology::Unknown) {
                table.problems.push_back({number, TableFault::Technology, fields[1], 0});
                return;
            }
            const QString key =
                e.code.isEmpty() ? QStringLiteral("G:") + keyOf(e.range) : QStringLiteral("C:") + keyOf(e.code);
            if (const auto it = firstLine.constFind(key); it != firstLine.cend()) {
                table.problems.push_back({number, TableFault::Repeated, e.code.isEmpty() ? e.range : e.code, *it});
                return;
            }
            firstLine.insert(key, number);
            table.entries.push_back(std::move(e));
        });
    return table;
}

RegistrationTable ParseRegistrationTable(const QByteArray &bytes, const QString &path)
{
    RegistrationTable table;
    table.present = true;
    table.path = path;
    QHash<QString, int> firstLine;
    // The text is the rest of the line: a ';' in it is the maker's, not a fourth field.
    forEachLine(bytes, {{"idMarca", "REGOLA", "TESTO"}}, 3, table.problems,
                [&](int number, qsizetype, const QStringList &fields) {
                    if (fields.size() < 3) {
                        table.problems.push_back({number, TableFault::Fields, QString::number(fields.size()), 0});
                        return;
                    }
                    const QString &rule = fields[1];
                    const bool diagnosis = rule.compare(u"diagnosi", Qt::CaseInsensitive) == 0;
                    if (fields[0].isEmpty()) {
                        table.problems.push_back({number, TableFault::NoMake, {}, 0});
                        return;
                    }
                    if (!diagnosis && rule.compare(u"autoapprendimento", Qt::CaseInsensitive) != 0) {
                        table.problems.push_back({number, TableFault::Rule, rule, 0});
                        return;
                    }
                    if (fields[2].isEmpty()) {
                        table.problems.push_back({number, TableFault::NoText, {}, 0});
                        return;
                    }
                    if (const auto it = firstLine.constFind(keyOf(fields[0])); it != firstLine.cend()) {
                        table.problems.push_back({number, TableFault::Repeated, fields[0], *it});
                        return;
                    }
                    firstLine.insert(keyOf(fields[0]), number);
                    table.entries.push_back({number, fields[0], diagnosis, fields[2]});
                });
    return table;
}

TechnologyTable ReadTechnologyTable(const QString &folder)
{
    return readTable<TechnologyTable>(folder, kTechnologyTableFile, ParseTechnologyTable);
}

RegistrationTable ReadRegistrationTable(const QString &folder)
{
    return readTable<RegistrationTable>(folder, kRegistrationTableFile, ParseRegistrationTable);
}

QString ProblemText(const QString &path, const TableProblem &p)
{
    QString reason;
    switch (p.fault) {
    case TableFault::Unreadable: reason = QStringLiteral("il file non si può leggere (%1)").arg(p.value); break;
    case TableFault::NotUtf8: reason = QStringLiteral("la riga non è testo UTF-8"); break;
    case TableFault::Header:
        reason = QStringLiteral("intestazione «%1» non riconosciuta: la tabella non è stata letta").arg(p.value);
        break;
    case TableFault::Fields: reason = QStringLiteral("numero di campi errato (%1)").arg(p.value); break;
    case TableFault::NoRange: reason = QStringLiteral("manca la gamma (o il codice)"); break;
    case TableFault::NoMake: reason = QStringLiteral("manca idMarca"); break;
    case TableFault::NoText: reason = QStringLiteral("manca il testo"); break;
    case TableFault::Technology:
        reason = QStringLiteral("tecnologia «%1» sconosciuta (ammesse AGM, EFB, GEL, TRADIZIONALE)").arg(p.value);
        break;
    case TableFault::Rule:
        reason = QStringLiteral("regola «%1» sconosciuta (ammesse autoapprendimento, diagnosi)").arg(p.value);
        break;
    case TableFault::Repeated:
        reason = QStringLiteral("«%1» è già alla riga %2: vale quella").arg(p.value).arg(p.firstLine);
        break;
    }
    return p.line > 0 ? QStringLiteral("%1:%2: %3").arg(path).arg(p.line).arg(reason)
                      : QStringLiteral("%1: %2").arg(path, reason);
}

} // namespace catalog::report
