// Small pieces of the reports' output formats, shared by the diff and the check.
#pragma once

#include <QString>
#include <QStringList>

namespace catalog::report {

// One CSV record (RFC 4180): fields with a comma, a quote or a line break go between
// double quotes with their quotes doubled; lines end in CR LF.
QString CsvRecord(const QStringList &fields);

// Text made safe inside HTML elements and attribute values.
QString HtmlEscaped(const QString &text);

// The opening of a self-contained HTML page (inline style, readable printed) up to and
// including <body>, and its closing.
QString HtmlPageStart(const QString &title);
QString HtmlPageEnd();

} // namespace catalog::report

namespace catalog::report {

// Writes a report as UTF-8 to the file `path`, or to standard output when `path` is
// empty. Raises ReportError (ReportErrc::Output) naming the file when it cannot be written.
void WriteReport(const QString &text, const QString &path);

} // namespace catalog::report
