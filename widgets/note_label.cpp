// The note label: its settings, and its markup drawn within its area (note_painting.h).
#include "widgets/note_label.h"

#include "widgets/note_painting.h"

#include <QAccessible>
#include <QPainter>

NoteLabel::NoteLabel(QWidget *parent) : QWidget(parent) {}

void NoteLabel::setHTMLText(const QStringList &lines)
{
    m_lines = lines;
    update();
    // A reader reads the note as its name; tell it the name changed.
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void NoteLabel::setLabelFont(const ColoredFont &f)
{
    m_font = f;
    update();
}

void NoteLabel::setTransparent(bool t)
{
    m_transparent = t;
    update();
}

void NoteLabel::setURLColor(const QColor &c)
{
    m_urlColor = c;
    update();
}

void NoteLabel::setShadowColor(const QColor &c)
{
    m_shadowColor = c;
    update();
}

void NoteLabel::setShadowOffset(int px)
{
    m_shadowOffset = px;
    update();
}

void NoteLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_transparent)
        p.fillRect(rect(), palette().window());
    PaintNoteMarkup(p, rect(), Markup(), NoteLook{m_font, m_urlColor});
}
