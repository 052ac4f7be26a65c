// The tools' command-line faults in their own words, over QCommandLineParser's.
#include "platform/command_line.h"

#include <QCommandLineParser>
#include <algorithm>

namespace platform {

namespace {

// The option an argument names: "--name=value" and "-name" both name "name".
QString nameIn(const QString &argument) { return argument.mid(argument.startsWith(u"--") ? 2 : 1).section(u'=', 0, 0); }

} // namespace

std::optional<CommandLineFault> ParseCommandLine(QCommandLineParser &parser, const QStringList &args)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (parser.parse(QStringList{QStringLiteral("tool")} + args)) {
        // Qt takes a "--" that is no option's value for the end of the options; the tools
        // never did, and call it an option they do not know.
        QStringList found = parser.optionNames();
        found.removeDuplicates();
        qsizetype dashValues = 0;
        for (const QString &name : found)
            dashValues += parser.values(name).count(QStringLiteral("--"));
        if (args.count(QStringLiteral("--")) > dashValues)
            return CommandLineFault{CommandLineFault::UnknownOption, QStringLiteral("unknown option --")};
        return std::nullopt;
    }
    const QStringList options(args.begin(), std::find(args.begin(), args.end(), QStringLiteral("--")));
    // Qt names an unknown option without its dashes or its value; ours shows it as typed.
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().first();
        for (const QString &a : options) {
            if (a.startsWith(u'-') && nameIn(a) == name)
                return CommandLineFault{CommandLineFault::UnknownOption, QStringLiteral("unknown option %1").arg(a)};
        }
        return CommandLineFault{CommandLineFault::UnknownOption, QStringLiteral("unknown option --%1").arg(name)};
    }
    // The only other faults: an option without a value given one after '=' (an option
    // unknown as it is spelt), and an option that takes a value last on the line.
    for (const QString &a : options) {
        if (a.startsWith(u'-') && a.contains(u'=') && parser.optionNames().contains(nameIn(a))
            && parser.values(nameIn(a)).isEmpty())
            return CommandLineFault{CommandLineFault::UnknownOption, QStringLiteral("unknown option %1").arg(a)};
    }
    return CommandLineFault{CommandLineFault::MissingValue, QStringLiteral("%1 needs a value").arg(args.last())};
}

} // namespace platform
