// Case folding and replacement limited to A..Z, as the connection logic compares texts.
#include "data/text_util.h"

QString LowerAsciiLetters(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c >= QChar('A') && c <= QChar('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return out;
}

QString ReplaceFirstIgnoringCase(const QString &text, const QString &what, const QString &with)
{
    if (what.isEmpty())
        return text;
    const qsizetype at = LowerAsciiLetters(text).indexOf(LowerAsciiLetters(what));
    if (at < 0)
        return text;
    QString out = text;
    out.replace(at, what.size(), with);
    return out;
}

QString TrimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QChar(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QChar(' '))
        --end;
    return text.mid(begin, end - begin);
}
