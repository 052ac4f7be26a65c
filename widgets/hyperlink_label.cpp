// The link label: state fonts, the outline drawn by offset copies, and the click.
#include "widgets/hyperlink_label.h"

#include "widgets/keyboard_focus.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

HyperlinkLabel::HyperlinkLabel(QWidget *parent) : QWidget(parent)
{
    // Tab reaches the link; a click follows it without moving the focus, as before.
    setFocusPolicy(Qt::TabFocus);
}

void HyperlinkLabel::setCaption(const QString &text)
{
    m_caption = text;
    update();
}

void HyperlinkLabel::setFontEnter(const ColoredFont &f)
{
    m_fontEnter = f;
    update();
}

void HyperlinkLabel::setFontLeave(const ColoredFont &f)
{
    m_fontLeave = f;
    update();
}

void HyperlinkLabel::setColorEnter(const QColor &c)
{
    m_colorEnter = c;
    update();
}

void HyperlinkLabel::setColorLeave(const QColor &c)
{
    m_colorLeave = c;
    update();
}

void HyperlinkLabel::setAlignment(Qt::Alignment a)
{
    m_alignment = a & Qt::AlignHorizontal_Mask;
    update();
}

void HyperlinkLabel::setWordWrap(bool w)
{
    m_wordWrap = w;
    update();
}

void HyperlinkLabel::setTextOutline(const ::TextOutline &o)
{
    m_outline = o;
    update();
}

void HyperlinkLabel::setTransparent(bool t)
{
    m_transparent = t;
    update();
}

void HyperlinkLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const bool entered = m_mouseOver && isEnabled();
    const ColoredFont &font = entered ? m_fontEnter : m_fontLeave;
    if (!m_transparent)
        p.fillRect(rect(), entered ? m_colorEnter : m_colorLeave);
    const int w = m_outline.Visible ? qMax(0, m_outline.Width) : 0;
    const QRect textRect = rect().adjusted(w, w, -w, -w);
    const int flags = int(m_alignment) | Qt::AlignTop | Qt::TextExpandTabs | (m_wordWrap ? Qt::TextWordWrap : 0);
    p.setFont(font.font);
    if (w > 0) {
        p.setPen(m_outline.Color);
        for (int dx = 1; dx <= w; ++dx) {
            for (int dy = 1; dy <= w; ++dy) {
                for (const QPoint d : {QPoint(dx, dy), QPoint(dx, -dy), QPoint(-dx, dy), QPoint(-dx, -dy)})
                    p.drawText(textRect.translated(d), flags, m_caption);
            }
        }
    }
    p.setPen(font.color);
    p.drawText(textRect, flags, m_caption);
    // Over the letters: a link is as small as its caption, and under them the frame would
    // vanish where they run to the edge.
    if (hasFocus())
        DrawFocusFrame(p, QRectF(rect()));
}

void HyperlinkLabel::mousePressEvent(QMouseEvent *e)
{
    // The press is taken so that its release comes here wherever the label is drawn: a
    // window drawn scaled hands a release to whoever took the press.
    if (e->button() == Qt::LeftButton)
        e->accept();
    else
        QWidget::mousePressEvent(e);
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
}

void HyperlinkLabel::enterEvent(QEnterEvent *)
{
    m_mouseOver = true;
    update();
}

void HyperlinkLabel::leaveEvent(QEvent *)
{
    m_mouseOver = false;
    update();
}

void HyperlinkLabel::keyPressEvent(QKeyEvent *e)
{
    if (!IsPressKey(*e)) {
        QWidget::keyPressEvent(e);
        return;
    }
    emit clicked();
}

void HyperlinkLabel::focusInEvent(QFocusEvent *e)
{
    update();
    QWidget::focusInEvent(e);
}

void HyperlinkLabel::focusOutEvent(QFocusEvent *e)
{
    update();
    QWidget::focusOutEvent(e);
}
