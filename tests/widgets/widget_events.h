// Sending mouse and key events straight to a widget, as the window system would.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace testsupport {

inline void sendMouse(QWidget &w, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

inline void press(QWidget &w, QPoint at) { sendMouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton); }
inline void moveTo(QWidget &w, QPoint at) { sendMouse(w, QEvent::MouseMove, at, Qt::LeftButton); }
inline void release(QWidget &w, QPoint at) { sendMouse(w, QEvent::MouseButtonRelease, at, Qt::NoButton); }

inline void typeKey(QWidget &w, int key, const QString &text = {})
{
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&w, &e);
}

inline QImage renderWidget(QWidget &w, QColor under = Qt::magenta)
{
    QImage out(w.size(), QImage::Format_RGB32);
    out.fill(under);
    w.render(&out, QPoint(), QRegion(), QWidget::DrawChildren);
    return out;
}

} // namespace testsupport
