// Reading the FOTO column of the demo catalogue's battery table: RFC 4180 fields, quoted
// ones may hold commas, quotes and line breaks (the notes do).
#include "tools/asset-maker/pictures.h"

#include <QFile>
#include <set>
#include <stdexcept>

namespace {

std::vector<QStringList> readCsv(const QString &text)
{
    std::vector<QStringList> rows(1);
    QString field;
    bool quoted = false, fieldStarted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                field += c, ++i;
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                field += c;
        } else if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            rows.back() << field;
            field.clear();
            fieldStarted = false;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            rows.back() << field;
            field.clear();
            fieldStarted = false;
            rows.emplace_back();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !rows.back().isEmpty())
        rows.back() << field;
    if (rows.back().isEmpty())
        rows.pop_back();
    return rows;
}

// A name that makes one plain file in foto/.
bool usable(const QString &name)
{
    return !name.trimmed().isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
           && name != QLatin1String(".") && name != QLatin1String("..");
}

} // namespace

QStringList PhotoNamesFromCsv(const QString &csvPath)
{
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + csvPath.toStdString() + ": " + file.errorString().toStdString());
    const auto rows = readCsv(QString::fromUtf8(file.readAll()));
    if (rows.empty())
        return {};
    int column = -1;
    for (int i = 0; i < rows[0].size(); ++i) {
        if (rows[0][i].section(QLatin1Char(':'), 0, 0).trimmed().compare(QLatin1String("FOTO"), Qt::CaseInsensitive)
            == 0)
            column = i;
    }
    if (column < 0)
        throw std::runtime_error(csvPath.toStdString() + " has no FOTO column");
    std::set<QString> names;
    for (size_t r = 1; r < rows.size(); ++r) {
        if (column < rows[r].size() && usable(rows[r][column]))
            names.insert(rows[r][column]);
    }
    return QStringList(names.begin(), names.end());
}
