// The focus frame shared by the grids, buttons, links, list box and brand areas, and the
// keys that press a focused control.
#include "widgets/keyboard_focus.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <algorithm>

void DrawFocusFrame(QPainter &painter, const QRectF &outer, qreal radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, radius > 0);
    painter.setBrush(Qt::NoBrush);
    // Each pen runs along the middle of its band: the halo's pixel at 0..1, the ink's at 1..3.
    const auto stroke = [&](const QColor &colour, qreal width, qreal inset) {
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        const QRectF r = outer.adjusted(inset, inset, -inset, -inset);
        const qreal corner = std::max<qreal>(radius - inset, 0);
        if (corner > 0)
            painter.drawRoundedRect(r, corner, corner);
        else
            painter.drawRect(r);
    };
    stroke(kFocusHalo, 1, 0.5);
    stroke(kFocusInk, 2, 2);
    painter.restore();
}

bool IsPressKey(const QKeyEvent &event)
{
    const int key = event.key();
    return (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && !event.isAutoRepeat()
           && !(event.modifiers() & ~Qt::KeypadModifier);
}
