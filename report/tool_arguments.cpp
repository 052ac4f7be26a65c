// Parsing the catalogue tools' command lines, so that every tool spells and checks the
// opening options alike.
#include "report/tool_arguments.h"
#include "report/report_error.h"

#include <cstdio>

namespace catalog::report {

ToolArguments ParseToolArguments(const QStringList &args, const QStringList &options)
{
    ToolArguments out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (TakeOpenOption(args, i, out.open))
            continue;
        if (a == u"--help" || a == u"-h") {
            out.help = true;
        } else if (options.contains(a)) {
            if (i + 1 >= args.size())
                raiseReportError(ReportErrc::Usage, QStringLiteral("%1 needs a value").arg(a));
            out.values.insert(a, args[++i]);
        } else if (a.startsWith(u"--")) {
            raiseReportError(ReportErrc::Usage, QStringLiteral("unknown option %1").arg(a));
        } else {
            out.files << a;
        }
    }
    return out;
}

int ReportUsageError(const char *tool, const QString &why, const QString &help)
{
    std::fprintf(stderr, "%s: %s\n%s", tool, qPrintable(why), qPrintable(help));
    return 2;
}

std::optional<ToolArguments> ReadCommandLine(const ToolSyntax &syntax, const QStringList &args, int &exitStatus)
{
    exitStatus = 2;
    ToolArguments parsed;
    try {
        parsed = ParseToolArguments(args, syntax.options + QStringList{QStringLiteral("--format")});
    } catch (const ReportError &e) {
        ReportUsageError(syntax.name, QString::fromUtf8(e.what()), syntax.help);
        return std::nullopt;
    }
    if (parsed.help) {
        std::fputs(qPrintable(syntax.help), stdout);
        exitStatus = 0;
        return std::nullopt;
    }
    const QString format = parsed.values.value(QStringLiteral("--format"), syntax.formats.value(0));
    if (parsed.files.size() != syntax.files) {
        ReportUsageError(syntax.name, syntax.filesMissing, syntax.help);
        return std::nullopt;
    }
    if (!syntax.formats.contains(format)) {
        ReportUsageError(
            syntax.name,
            QStringLiteral("unknown format \"%1\" (%2)").arg(format, syntax.formats.join(QStringLiteral(", "))),
            syntax.help);
        return std::nullopt;
    }
    parsed.values.insert(QStringLiteral("--format"), format);
    return parsed;
}

} // namespace catalog::report
