// Laying out and drawing a note's markup: word-wrapped lines within the width, aligned
// per paragraph, cut at the bottom edge. The note label draws through here on screen and
// the printed battery sheet on paper, so a note reads the same on both.
#include "widgets/note_painting.h"

#include "widgets/note_markup.h"
#include "widgets/picture_loader.h"
#include "widgets/widget_error.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QRegularExpression>

namespace {

struct Placed {
    enum Kind { Text, Rule, Image, Box };
    Kind kind = Text;
    int x = 0; // left, relative to the line start
    int width = 0;
    int height = 0; // images and boxes
    int rise = 0;   // baseline shift of sub- and superscripts (up is positive)
    QString text;
    QFont font;
    QColor color;
    QColor background;
    QImage image;
};

struct Line {
    std::vector<Placed> items;
    int width = 0;
    int ascent = 0;
    int descent = 0;
    Qt::Alignment align = Qt::AlignLeft;
    int indent = 0;
    QColor background;
};

class Layout {
public:
    // Every line, an empty one too, is at least as high as the label's own font.
    Layout(int width, const QFontMetrics &base, const QPaintDevice *device, qreal pictureScale)
        : m_width(width), m_ascent(base.ascent()), m_descent(base.descent()), m_device(device), m_scale(pictureScale)
    {
        newLine();
    }

    void paragraph(const NotePiece &p)
    {
        if (!current().items.empty())
            newLine();
        m_align = p.align;
        m_indent = p.indent;
        m_background = p.background;
        current().align = m_align;
        current().indent = m_indent;
        current().background = m_background;
    }

    void lineBreak() { newLine(); }

    void rule()
    {
        if (!current().items.empty())
            newLine();
        Placed r;
        r.kind = Placed::Rule;
        r.width = m_width - m_indent;
        r.height = scaled(5);
        place(r, scaled(3), scaled(2));
        newLine();
    }

    void image(const QImage &img, const NotePiece &p)
    {
        Placed it;
        it.kind = img.isNull() ? Placed::Box : Placed::Image;
        it.width = scaled(p.width > 0 ? p.width : img.width());
        it.height = scaled(p.height > 0 ? p.height : img.height());
        if (!img.isNull())
            it.image =
                img.scaled(qMax(1, it.width), qMax(1, it.height), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        wrapFor(it.width);
        place(it, it.height, 0);
    }

    void text(const QString &s, const QFont &font, const QColor &color, const QColor &bg, int rise)
    {
        const QFontMetrics fm(font, m_device);
        // Words keep their trailing blanks; a line may break after any blank.
        static const QRegularExpression word(QStringLiteral("[^ \\t\\n]*[ \\t\\n]*"));
        auto it = word.globalMatch(s);
        while (it.hasNext()) {
            const QString w = it.next().captured(0);
            if (w.isEmpty())
                continue;
            Placed t;
            t.text = w;
            t.font = font;
            t.color = color;
            t.background = bg;
            t.rise = rise;
            t.width = fm.horizontalAdvance(w);
            wrapFor(fm.horizontalAdvance(w.trimmed()));
            place(t, fm.ascent() + qMax(0, rise), fm.descent() + qMax(0, -rise));
        }
    }

    std::vector<Line> &lines() { return m_lines; }

private:
    Line &current() { return m_lines.back(); }
    int scaled(int px) const { return qRound(px * m_scale); }

    void newLine()
    {
        Line l;
        l.align = m_align;
        l.indent = m_indent;
        l.background = m_background;
        l.ascent = m_ascent;
        l.descent = m_descent;
        m_lines.push_back(l);
    }

    void wrapFor(int w)
    {
        if (!current().items.empty() && current().indent + current().width + w > m_width)
            newLine();
    }

    void place(Placed item, int ascent, int descent)
    {
        Line &l = current();
        item.x = l.width;
        l.width += item.width;
        l.ascent = qMax(l.ascent, ascent);
        l.descent = qMax(l.descent, descent);
        l.items.push_back(std::move(item));
    }

    int m_width;
    int m_ascent;
    int m_descent;
    const QPaintDevice *m_device;
    qreal m_scale;
    std::vector<Line> m_lines;
    Qt::Alignment m_align = Qt::AlignLeft;
    int m_indent = 0;
    QColor m_background;
};

QFont fontFor(const QFont &base, const NoteStyle &s)
{
    QFont f = base;
    if (!s.face.isEmpty())
        f.setFamily(s.face);
    if (s.pointSize > 0)
        f.setPointSize(s.pointSize);
    if (s.bold)
        f.setBold(true);
    f.setItalic(s.italic || base.italic());
    f.setUnderline(s.underline || s.link || base.underline());
    f.setStrikeOut(s.strike || base.strikeOut());
    if (s.sub || s.sup) {
        if (f.pixelSize() > 0)
            f.setPixelSize(qMax(6, f.pixelSize() * 2 / 3));
        else
            f.setPointSizeF(qMax(4.5, f.pointSizeF() * 2 / 3));
    }
    return f;
}

} // namespace

void PaintNoteMarkup(QPainter &p, const QRect &area, const QString &markup, const NoteLook &look)
{
    const QPaintDevice *device = p.device();
    const QFontMetrics base(look.font.font, device);
    Layout layout(area.width(), base, device, look.pictureScale);
    for (const NotePiece &piece : ParseNoteMarkup(markup)) {
        switch (piece.kind) {
        case NotePiece::Paragraph: layout.paragraph(piece); break;
        case NotePiece::LineBreak: layout.lineBreak(); break;
        case NotePiece::Rule: layout.rule(); break;
        case NotePiece::Image: {
            QImage img;
            try {
                img = LoadPictureFile(piece.src);
            } catch (const WidgetError &) {
                // Painting cannot report; the missing picture shows as an empty frame.
            }
            layout.image(img, piece);
            break;
        }
        case NotePiece::Text: {
            if (piece.style.hidden)
                break;
            const QFont f = fontFor(look.font.font, piece.style);
            const QColor color = piece.style.link              ? look.urlColor
                                 : piece.style.color.isValid() ? piece.style.color
                                                               : look.font.color;
            int rise = 0;
            if (piece.style.sup)
                rise = base.ascent() / 3;
            else if (piece.style.sub)
                rise = -base.descent();
            layout.text(piece.text, f, color, piece.style.background, rise);
            break;
        }
        }
    }

    int top = area.top();
    for (const Line &line : layout.lines()) {
        if (top >= area.bottom() + 1)
            break; // cut at the bottom edge
        const int lineHeight = line.ascent + line.descent;
        const int avail = area.width() - line.indent;
        int left = area.left() + line.indent;
        if (line.align & Qt::AlignRight)
            left += avail - line.width;
        else if (line.align & Qt::AlignHCenter)
            left += (avail - line.width) / 2;
        if (line.background.isValid())
            p.fillRect(QRect(area.left(), top, area.width(), lineHeight), line.background);
        const int baseline = top + line.ascent;
        for (const Placed &it : line.items) {
            const int x = left + it.x;
            switch (it.kind) {
            case Placed::Rule:
                p.setPen(QColor(128, 128, 128));
                p.drawLine(x, top + it.height / 2, x + it.width - 1, top + it.height / 2);
                break;
            case Placed::Image: p.drawImage(x, baseline - it.height, it.image); break;
            case Placed::Box:
                p.setPen(QColor(128, 128, 128));
                p.drawRect(x, baseline - it.height, it.width - 1, it.height - 1);
                break;
            case Placed::Text: {
                const QFontMetrics fm(it.font, device);
                if (it.background.isValid())
                    p.fillRect(QRect(x, baseline - it.rise - fm.ascent(), it.width, fm.height()), it.background);
                p.setFont(it.font);
                p.setPen(it.color);
                p.drawText(x, baseline - it.rise, it.text);
                break;
            }
            }
        }
        top += lineHeight;
    }
}
