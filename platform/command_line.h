// Reading a command-line tool's line with QCommandLineParser while keeping the tools' own
// words for its faults ("unknown option X" as typed, "X needs a value"), which their users
// and tests know. Qt Core only, so every tool can share it.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QCommandLineParser;

namespace platform {

// What is wrong with a command line before any value is looked at.
struct CommandLineFault {
    enum Kind {
        UnknownOption, // message: "unknown option --colour", the option as it was typed
        MissingValue,  // message: "--output needs a value"
    };
    Kind kind;
    QString message;
};

// Runs `parser` over `args` (without the program name) the way every tool reads its line:
// "--name" and "-name" are options, an option's value is the next argument or follows
// '=', anything else is a file, and a "--" that is no option's value is an unknown
// option. Returns the first fault.
std::optional<CommandLineFault> ParseCommandLine(QCommandLineParser &parser, const QStringList &args);

} // namespace platform
