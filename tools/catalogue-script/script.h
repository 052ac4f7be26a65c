// The script the driver plays: one user action per line, read and checked before the
// program starts so a misspelt action fails at once with its line number.
#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

// A failure of the script itself (a bad line, a name that is not on screen); the driver
// prints it as "line N: ..." and ends with a non-zero status.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ScriptStep {
    int line = 0;     // 1-based line number in the script file
    QString action;   // "brand", "click", "click-cell", "key", "type", ...
    QStringList args; // the action's arguments; a free text argument comes whole
};

// Reads the script text. Blank lines and lines starting with # are skipped. Throws
// ScriptError "line N: ..." for an unknown action or wrong arguments.
std::vector<ScriptStep> ParseScript(const QString &text);

// The script file's text; throws ScriptError when it cannot be read.
QString ReadScriptFile(const QString &path);

// "line N: message"
QString LineMessage(int line, const QString &message);
