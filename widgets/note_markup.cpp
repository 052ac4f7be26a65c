// Reading the note markup: the scanner's tags and text (note_markup_syntax.h) through a
// stack of styles, so that an unmatched closing tag simply restores the previous one.
#include "widgets/note_markup.h"
#include "widgets/markup/note_markup_syntax.h"

#include <QHash>

namespace {

int toInt(const QString &s)
{
    bool ok = false;
    const int v = s.trimmed().toInt(&ok);
    return ok ? v : 0;
}

Qt::Alignment alignOf(const QString &s)
{
    const QString a = s.trimmed().toLower();
    if (a == QLatin1String("right"))
        return Qt::AlignRight;
    if (a == QLatin1String("center"))
        return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

class Reader {
public:
    std::vector<NotePiece> pieces;

    void text(const QString &s)
    {
        if (s.isEmpty())
            return;
        if (!pieces.empty() && pieces.back().kind == NotePiece::Text && sameStyle(pieces.back().style, style())) {
            pieces.back().text += s;
            return;
        }
        NotePiece p;
        p.text = s;
        p.style = style();
        pieces.push_back(p);
    }

    void tag(const NoteTag &t)
    {
        const QString &n = t.name;
        if (n == QLatin1String("BR") || n == QLatin1String("HR")) {
            NotePiece p;
            p.kind = n == QLatin1String("BR") ? NotePiece::LineBreak : NotePiece::Rule;
            pieces.push_back(p);
            return;
        }
        if (n == QLatin1String("P")) {
            NotePiece p;
            p.kind = NotePiece::Paragraph;
            if (!t.closing) {
                p.align = alignOf(t.attributes.value(QStringLiteral("ALIGN")));
                p.indent = toInt(t.attributes.value(QStringLiteral("INDENT")));
                p.background = NoteColor(t.attributes.value(QStringLiteral("BGCOLOR")));
            }
            pieces.push_back(p);
            return;
        }
        if (n == QLatin1String("IMG")) {
            if (t.closing)
                return;
            NotePiece p;
            p.kind = NotePiece::Image;
            p.style = style();
            p.src = t.attributes.value(QStringLiteral("SRC"));
            p.width = toInt(t.attributes.value(QStringLiteral("WIDTH")));
            p.height = toInt(t.attributes.value(QStringLiteral("HEIGHT")));
            p.align = alignOf(t.attributes.value(QStringLiteral("ALIGN")));
            pieces.push_back(p);
            return;
        }
        if (!IsNoteStyleTag(n))
            return; // not ours: dropped, the text around it stays
        if (t.closing) {
            // Close the innermost open tag of that name and everything opened inside it.
            for (int i = int(m_open.size()) - 1; i >= 0; --i) {
                if (m_open[size_t(i)].first == n) {
                    m_open.resize(size_t(i));
                    break;
                }
            }
            return;
        }
        NoteStyle s = style();
        if (n == QLatin1String("B"))
            s.bold = true;
        else if (n == QLatin1String("I"))
            s.italic = true;
        else if (n == QLatin1String("U"))
            s.underline = true;
        else if (n == QLatin1String("S"))
            s.strike = true;
        else if (n == QLatin1String("SUB"))
            s.sub = true, s.sup = false;
        else if (n == QLatin1String("SUP"))
            s.sup = true, s.sub = false;
        else if (n == QLatin1String("A"))
            s.link = true;
        else if (n == QLatin1String("Z"))
            s.hidden = true;
        else { // FONT
            if (t.attributes.contains(QStringLiteral("FACE")))
                s.face = t.attributes.value(QStringLiteral("FACE"));
            const QColor c = NoteColor(t.attributes.value(QStringLiteral("COLOR")));
            if (c.isValid())
                s.color = c;
            const QColor bg = NoteColor(t.attributes.value(QStringLiteral("BGCOLOR")));
            if (bg.isValid())
                s.background = bg;
            if (const int size = toInt(t.attributes.value(QStringLiteral("SIZE"))); size > 0)
                s.pointSize = size;
        }
        m_open.emplace_back(n, s);
    }

private:
    NoteStyle style() const { return m_open.empty() ? NoteStyle{} : m_open.back().second; }

    static bool sameStyle(const NoteStyle &a, const NoteStyle &b)
    {
        return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline && a.strike == b.strike
               && a.sub == b.sub && a.sup == b.sup && a.link == b.link && a.hidden == b.hidden && a.face == b.face
               && a.color == b.color && a.background == b.background && a.pointSize == b.pointSize;
    }

    std::vector<std::pair<QString, NoteStyle>> m_open;
};

} // namespace

QColor NoteColor(const QString &given)
{
    const QString name = given.trimmed().toLower();
    if (name.startsWith(QLatin1Char('#'))) {
        const QColor c = QColor::fromString(name);
        return c.isValid() ? c : QColor();
    }
    static const QHash<QString, QRgb> names = {
        {QStringLiteral("clblack"), 0x000000},      {QStringLiteral("clmaroon"), 0x800000},
        {QStringLiteral("clgreen"), 0x008000},      {QStringLiteral("clolive"), 0x808000},
        {QStringLiteral("clnavy"), 0x000080},       {QStringLiteral("clpurple"), 0x800080},
        {QStringLiteral("clteal"), 0x008080},       {QStringLiteral("clgray"), 0x808080},
        {QStringLiteral("clgrey"), 0x808080},       {QStringLiteral("clsilver"), 0xc0c0c0},
        {QStringLiteral("clred"), 0xff0000},        {QStringLiteral("cllime"), 0x00ff00},
        {QStringLiteral("clyellow"), 0xffff00},     {QStringLiteral("clblue"), 0x0000ff},
        {QStringLiteral("clfuchsia"), 0xff00ff},    {QStringLiteral("claqua"), 0x00ffff},
        {QStringLiteral("clwhite"), 0xffffff},      {QStringLiteral("clmoneygreen"), 0xc0dcc0},
        {QStringLiteral("clskyblue"), 0xa6caf0},    {QStringLiteral("clcream"), 0xfffbf0},
        {QStringLiteral("clmedgray"), 0xa0a0a4},    {QStringLiteral("clltgray"), 0xc0c0c0},
        {QStringLiteral("cldkgray"), 0x808080},     {QStringLiteral("clwindow"), 0xffffff},
        {QStringLiteral("clwindowtext"), 0x000000}, {QStringLiteral("clbtnface"), 0xf0f0f0},
        {QStringLiteral("clhighlight"), 0x0078d7},  {QStringLiteral("clhighlighttext"), 0xffffff},
    };
    const auto it = names.find(name);
    return it == names.end() ? QColor() : QColor(*it);
}

std::vector<NotePiece> ParseNoteMarkup(const QString &markup)
{
    Reader r;
    for (const NoteToken &t : ScanNoteMarkup(markup)) {
        if (t.kind == NoteToken::Tag)
            r.tag(t.tag);
        else
            r.text(t.text);
    }
    return std::move(r.pieces);
}

QString NotePlainText(const QString &markup)
{
    QString out;
    for (const NotePiece &p : ParseNoteMarkup(markup)) {
        if (p.kind == NotePiece::Text && !p.style.hidden)
            out += p.text;
        // A break, paragraph or rule starts a new line on screen, and so in the text.
        else if (p.kind != NotePiece::Text && p.kind != NotePiece::Image && !out.isEmpty()
                 && !out.endsWith(QLatin1Char('\n')))
            out += QLatin1Char('\n');
    }
    return out;
}
