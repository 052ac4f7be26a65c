// A font together with the colour its text is drawn in: the screens' label, link and
// combo-column fonts each carry their own colour.
#pragma once

#include <QColor>
#include <QFont>

struct ColoredFont {
    QFont font;
    QColor color = Qt::black;
};
