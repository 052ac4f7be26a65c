// The markup scanner: tags are <NAME attr=value ...> in any letter case, entities are
// &name; with a short fixed table; everything else is text. A '<' that does not open a
// tag is text too, which is why a stray one is only a fault when a tag name follows it.
#include "widgets/markup/note_markup_syntax.h"

#include <QRegularExpression>

namespace {

// Parses the inside of <...>; false when it is not a tag at all.
bool parseTag(QStringView body, NoteTag &tag)
{
    static const QRegularExpression head(QStringLiteral("^\\s*(/?)\\s*([A-Za-z][A-Za-z0-9]*)"));
    static const QRegularExpression attr(
        QStringLiteral("([A-Za-z][A-Za-z0-9_-]*)\\s*(?:=\\s*(\"[^\"]*\"|'[^']*'|[^\\s\"'>]+))?"));
    const auto m = head.match(body);
    if (!m.hasMatch())
        return false;
    tag.closing = !m.captured(1).isEmpty();
    tag.name = m.captured(2).toUpper();
    auto it = attr.globalMatch(body, m.capturedEnd());
    while (it.hasNext()) {
        const auto a = it.next();
        QString value = a.captured(2);
        if (value.size() >= 2 && (value.startsWith(QLatin1Char('"')) || value.startsWith(QLatin1Char('\''))))
            value = value.mid(1, value.size() - 2);
        tag.attributes.insert(a.captured(1).toUpper(), value);
    }
    return true;
}

const QHash<QString, QString> &entities()
{
    static const QHash<QString, QString> table = {
        {QStringLiteral("amp"), QStringLiteral("&")},       {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},        {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("nbsp"), QString(QChar(0x00a0))},   {QStringLiteral("sect"), QString(QChar(0x00a7))},
        {QStringLiteral("permil"), QString(QChar(0x2030))}, {QStringLiteral("reg"), QString(QChar(0x00ae))},
        {QStringLiteral("copy"), QString(QChar(0x00a9))},   {QStringLiteral("para"), QString(QChar(0x00b6))},
        {QStringLiteral("trade"), QString(QChar(0x2122))},  {QStringLiteral("euro"), QString(QChar(0x20ac))},
    };
    return table;
}

void appendText(std::vector<NoteToken> &tokens, QString &run)
{
    if (run.isEmpty())
        return;
    NoteToken t;
    t.text = std::move(run);
    tokens.push_back(std::move(t));
    run.clear();
}

} // namespace

std::vector<NoteToken> ScanNoteMarkup(const QString &markup)
{
    static const QRegularExpression tagStart(QStringLiteral("^<\\s*/?\\s*[A-Za-z]"));
    std::vector<NoteToken> tokens;
    QString run;
    const qsizetype n = markup.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = markup[i];
        if (c == QLatin1Char('<')) {
            const qsizetype end = markup.indexOf(QLatin1Char('>'), i + 1);
            NoteTag tag;
            if (end > i && parseTag(QStringView(markup).mid(i + 1, end - i - 1), tag)) {
                appendText(tokens, run);
                NoteToken t;
                t.kind = NoteToken::Tag;
                t.tag = std::move(tag);
                tokens.push_back(std::move(t));
                i = end;
                continue;
            }
            if (end < 0 && tagStart.match(QStringView(markup).mid(i)).hasMatch()) {
                appendText(tokens, run);
                NoteToken t;
                t.kind = NoteToken::StrayOpen;
                t.text = QStringLiteral("<");
                tokens.push_back(std::move(t));
                continue;
            }
        } else if (c == QLatin1Char('&')) {
            const qsizetype end = markup.indexOf(QLatin1Char(';'), i + 1);
            if (end > i && end - i <= 8) {
                const auto it = entities().find(markup.mid(i + 1, end - i - 1).toLower());
                if (it != entities().end()) {
                    run += *it;
                    i = end;
                    continue;
                }
            }
        }
        run += c;
    }
    appendText(tokens, run);
    return tokens;
}

bool IsNoteStyleTag(const QString &n)
{
    static const QStringList styling = {QStringLiteral("B"),   QStringLiteral("I"),    QStringLiteral("U"),
                                        QStringLiteral("S"),   QStringLiteral("FONT"), QStringLiteral("SUB"),
                                        QStringLiteral("SUP"), QStringLiteral("A"),    QStringLiteral("Z")};
    return styling.contains(n);
}

bool IsNoteTag(const QString &n)
{
    return IsNoteStyleTag(n) || n == QLatin1String("BR") || n == QLatin1String("HR") || n == QLatin1String("P")
           || n == QLatin1String("IMG");
}

QStringList NoteMarkupFaults(const QString &markup)
{
    QStringList faults;
    QStringList open; // style tags not yet closed, outermost first
    for (const NoteToken &t : ScanNoteMarkup(markup)) {
        if (t.kind == NoteToken::StrayOpen) {
            faults << QStringLiteral("a tag without its closing '>'");
            continue;
        }
        if (t.kind != NoteToken::Tag)
            continue;
        const QString &name = t.tag.name;
        if (!IsNoteTag(name)) {
            faults << QStringLiteral("unknown tag <%1%2>").arg(t.tag.closing ? QStringLiteral("/") : QString(), name);
        } else if (IsNoteStyleTag(name)) {
            // A closing tag ends the innermost open one of its name and all opened inside
            // it, as the label does; those inner ones are read alike, so only what is
            // still open at the end is a fault.
            if (!t.tag.closing)
                open << name;
            else if (const qsizetype i = open.lastIndexOf(name); i >= 0)
                open.resize(i);
        }
    }
    for (const QString &name : open)
        faults << QStringLiteral("unclosed tag <%1>").arg(name);
    return faults;
}
