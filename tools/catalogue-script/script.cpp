// Reading the script: one action per line, with the argument shapes each action takes.
#include "tools/catalogue-script/script.h"

#include <QFile>
#include <QStringConverter>
#include <QTextStream>
#include <map>

namespace {

// How an action's arguments are written: a number of single-word arguments, then
// optionally the rest of the line as one free text.
struct ArgumentShape {
    int words = 0;
    bool freeText = false; // the rest of the line after the words
    bool freeTextMayBeEmpty = false;
    const char *usage = "";
};

const std::map<QString, ArgumentShape> &Actions()
{
    static const std::map<QString, ArgumentShape> actions = {
        {"brand", {1, false, false, "brand CODE"}},
        {"click", {1, false, false, "click NAME"}},
        {"click-cell", {2, false, false, "click-cell GRID ROW"}},
        {"key", {2, false, false, "key NAME KEY"}},
        {"press", {1, false, false, "press KEY"}},
        {"type", {1, true, true, "type EDIT TEXT"}},
        {"select", {1, true, false, "select COMBO TEXT"}},
        {"dump", {0, false, false, "dump"}},
        {"screenshot", {0, true, false, "screenshot FILE.png"}},
        {"print", {0, true, false, "print FILE.pdf"}},
        {"wait", {1, false, false, "wait MS"}},
        {"close", {1, false, false, "close WINDOW"}},
        {"save-as", {0, true, false, "save-as FILE"}},
    };
    return actions;
}

// Splits off the next blank-separated word of `rest`, leaving in `rest` what follows
// the one blank after it.
QString TakeWord(QString &rest)
{
    int start = 0;
    while (start < rest.size() && rest[start].isSpace())
        ++start;
    int end = start;
    while (end < rest.size() && !rest[end].isSpace())
        ++end;
    const QString word = rest.mid(start, end - start);
    rest = end < rest.size() ? rest.mid(end + 1) : QString();
    return word;
}

bool IsWholeNumber(const QString &text)
{
    bool ok = false;
    return text.toInt(&ok) >= 0 && ok;
}

ScriptStep ParseLine(int line, const QString &text)
{
    QString rest = text;
    ScriptStep step;
    step.line = line;
    step.action = TakeWord(rest);
    const auto found = Actions().find(step.action);
    if (found == Actions().end())
        throw ScriptError(LineMessage(line, QStringLiteral("unknown action \"%1\"").arg(step.action)).toStdString());
    const ArgumentShape &shape = found->second;
    const auto usage = [&] {
        return ScriptError(LineMessage(line, QStringLiteral("expected \"%1\"").arg(shape.usage)).toStdString());
    };
    for (int i = 0; i < shape.words; ++i) {
        const QString word = TakeWord(rest);
        if (word.isEmpty())
            throw usage();
        step.args << word;
    }
    if (shape.freeText) {
        if (rest.trimmed().isEmpty() && !shape.freeTextMayBeEmpty)
            throw usage();
        step.args << rest;
    } else if (!rest.trimmed().isEmpty()) {
        throw usage();
    }
    if ((step.action == "click-cell" && !IsWholeNumber(step.args[1]))
        || (step.action == "wait" && !IsWholeNumber(step.args[0])))
        throw usage();
    return step;
}

} // namespace

QString LineMessage(int line, const QString &message) { return QStringLiteral("line %1: %2").arg(line).arg(message); }

std::vector<ScriptStep> ParseScript(const QString &text)
{
    std::vector<ScriptStep> steps;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        steps.push_back(ParseLine(i + 1, line));
    }
    return steps;
}

QString ReadScriptFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ScriptError(QStringLiteral("cannot read the script %1: %2").arg(path, file.errorString()).toStdString());
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    return in.readAll();
}
