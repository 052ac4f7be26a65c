// The command line of the catalogue tools, read with QCommandLineParser: the opening
// options every tool takes, --help, the tool's own options (each with one value) and the
// files, with the faults reported in the tools' own words.
#pragma once

#include "report/catalogue_tables.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

class QCommandLineParser;

namespace catalog::report {

// The opening options (--password, --password-codes, --workgroup), for a tool's parser.
void AddOpenOptions(QCommandLineParser &parser);
// The opening options as `parser` found them, the last given holding. Raises ReportError
// (ReportErrc::Usage) for a password code that is not a character code.
OpenOptions ReadOpenOptions(const QCommandLineParser &parser);
// What --help says of the opening options, one line each.
QString OpenOptionsHelp();

struct ToolArguments {
    OpenOptions open;
    QHash<QString, QString> values; // option → its value, for the options given
    QStringList files;
    bool help = false;
};

// Reads `args` (without the program name). `options` are the tool's own options, each
// followed by a value. Raises ReportError (ReportErrc::Usage) for an unknown option, a
// missing or bad value, in words for the user.
ToolArguments ParseToolArguments(const QStringList &args, const QStringList &options);

// What a tool accepts on its command line.
struct ToolSyntax {
    const char *name;     // for messages: "catalogue-diff"
    QStringList options;  // its own options, each taking a value
    QStringList formats;  // values of --format; the first is the default
    qsizetype files = 1;  // how many files it takes
    QString filesMissing; // what to say when they are not as many
    QString help;         // the --help text
};

// Reads a tool's command line. Returns the arguments (with --format set) to run with, or
// nothing with `exitStatus` set: 0 after printing the help, 2 after reporting a usage
// error with the help on standard error.
std::optional<ToolArguments> ReadCommandLine(const ToolSyntax &syntax, const QStringList &args, int &exitStatus);

// Prints "<tool>: <why>" and the help text on standard error; returns the usage status 2.
int ReportUsageError(const char *tool, const QString &why, const QString &help);

} // namespace catalog::report
