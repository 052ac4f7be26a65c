// Drawing a note's light markup (note_markup.h) into a rectangle of any paint device.
#pragma once

#include "widgets/colored_font.h"

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

struct NoteLook {
    ColoredFont font;           // the base font and the colour of unstyled text
    QColor urlColor = Qt::blue; // links
    qreal pictureScale = 1.0;   // device pixels per screen pixel, for pictures and rules
};

// Lays `markup` out in word-wrapped lines as wide as `area` and draws the lines that
// start above its bottom edge. Text is measured on the painter's device, so the lines
// break on paper where the printed text needs them to. A picture that cannot be read
// shows as an empty frame: painting has no one to report to.
void PaintNoteMarkup(QPainter &p, const QRect &area, const QString &markup, const NoteLook &look);
