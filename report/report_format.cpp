// CSV quoting and the HTML page frame of the reports. The page carries its own style and
// nothing else: no scripts, no outside files, so it can be mailed or printed as it is.
#include "report/report_format.h"
#include "report/report_error.h"

#include <QSaveFile>
#include <cstdio>

namespace catalog::report {

QString CsvRecord(const QStringList &fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            line += u',';
        const QString &f = fields[i];
        if (f.contains(u',') || f.contains(u'"') || f.contains(u'\r') || f.contains(u'\n'))
            line += u'"' + QString(f).replace(u'"', QStringLiteral("\"\"")) + u'"';
        else
            line += f;
    }
    return line + QStringLiteral("\r\n");
}

QString HtmlEscaped(const QString &text) { return text.toHtmlEscaped().replace(u'\'', QStringLiteral("&#39;")); }

QString HtmlPageStart(const QString &title)
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"it\">\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n"
               "<style>\n"
               "body { font-family: sans-serif; font-size: 11pt; margin: 1.5em; color: #000; background: #fff; }\n"
               "h1 { font-size: 16pt; } h2 { font-size: 13pt; margin-top: 1.5em; border-bottom: 1px solid #888; }\n"
               "table { border-collapse: collapse; margin: 0.5em 0; }\n"
               "th, td { border: 1px solid #aaa; padding: 2px 6px; text-align: left; vertical-align: top; }\n"
               "th { background: #eee; } td.null { color: #888; font-style: italic; }\n"
               "@media print { body { margin: 0; } h2 { break-after: avoid; } tr { break-inside: avoid; }\n"
               "  thead { display: table-header-group; } }\n"
               "</style>\n</head>\n<body>\n")
        .arg(HtmlEscaped(title));
}

QString HtmlPageEnd() { return QStringLiteral("</body>\n</html>\n"); }

} // namespace catalog::report

namespace catalog::report {

void WriteReport(const QString &text, const QString &path)
{
    const QByteArray bytes = text.toUtf8();
    if (path.isEmpty()) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        raiseReportError(ReportErrc::Output, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

} // namespace catalog::report
