// Parsing the catalogue tools' command lines, so that every tool spells and checks the
// opening options alike. QCommandLineParser does the reading; its messages are replaced
// by the tools' own, which their users and tests know.
#include "report/tool_arguments.h"
#include "platform/command_line.h"
#include "report/report_error.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cstdio>

namespace catalog::report {

namespace {

const QString kPassword = QStringLiteral("password");
const QString kPasswordCodes = QStringLiteral("password-codes");
const QString kWorkgroup = QStringLiteral("workgroup");

QString passwordFromCodes(const QString &list)
{
    QString password;
    for (const QString &code : list.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint c = code.trimmed().toUInt(&ok);
        if (!ok || c == 0 || c > 0xFFFF)
            raiseReportError(ReportErrc::Usage, QStringLiteral("\"%1\" is not a character code").arg(code));
        password += QChar(char16_t(c));
    }
    return password;
}

} // namespace

void AddOpenOptions(QCommandLineParser &parser)
{
    for (const QString &name : {kPassword, kPasswordCodes, kWorkgroup})
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
}

OpenOptions ReadOpenOptions(const QCommandLineParser &parser)
{
    OpenOptions options;
    // Gone through in the order given, so that the later of --password and
    // --password-codes holds and every code list is checked.
    QHash<QString, qsizetype> taken;
    for (const QString &name : parser.optionNames()) {
        if (name != kPassword && name != kPasswordCodes && name != kWorkgroup)
            continue;
        const QString value = parser.values(name).value(taken[name]++);
        if (name == kPassword)
            options.password = value;
        else if (name == kWorkgroup)
            options.workgroup = value;
        else
            options.password = passwordFromCodes(value);
    }
    return options;
}

QString OpenOptionsHelp()
{
    return QStringLiteral("  --password TEXT          the database password (default: the program's, codes 1..20)\n"
                          "  --password-codes N,N,... the database password as character codes\n"
                          "  --workgroup FILE         the workgroup file (default: system.mdw beside the catalogue)\n");
}

ToolArguments ParseToolArguments(const QStringList &args, const QStringList &options)
{
    QCommandLineParser parser;
    AddOpenOptions(parser);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    parser.addOption(help);
    for (const QString &option : options)
        parser.addOption(QCommandLineOption(option.mid(2), QString(), QStringLiteral("value")));
    if (const std::optional<platform::CommandLineFault> fault = platform::ParseCommandLine(parser, args))
        raiseReportError(ReportErrc::Usage, fault->message);

    ToolArguments out;
    out.open = ReadOpenOptions(parser);
    out.help = parser.isSet(help);
    for (const QString &option : options) {
        if (parser.isSet(option.mid(2)))
            out.values.insert(option, parser.value(option.mid(2)));
    }
    out.files = parser.positionalArguments();
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
