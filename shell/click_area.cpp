// Press-and-release clicks on a picture-less area, its keys and its accessibility.
#include "shell/click_area_p.h"

#include "widgets/accessible_widgets.h"
#include "widgets/keyboard_focus.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

ClickArea::ClickArea(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    // Tab reaches the area; a click does not leave a focus frame on the picture.
    setFocusPolicy(Qt::TabFocus);
}

void ClickArea::paintEvent(QPaintEvent *)
{
    if (!hasFocus())
        return;
    QPainter p(this);
    DrawFocusFrame(p, QRectF(rect()));
}

void ClickArea::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
}

void ClickArea::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool click = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

void ClickArea::keyPressEvent(QKeyEvent *event)
{
    if (IsPressKey(*event)) {
        emit clicked();
        return;
    }
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left: step = -1; break;
    case Qt::Key_Down:
    case Qt::Key_Right: step = 1; break;
    default: QWidget::keyPressEvent(event); return;
    }
    neighbour(step)->setFocus(step < 0 ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}

ClickArea *ClickArea::neighbour(int step) const
{
    QList<ClickArea *> areas = parentWidget()->findChildren<ClickArea *>(Qt::FindDirectChildrenOnly);
    std::sort(areas.begin(), areas.end(), [](const ClickArea *a, const ClickArea *b) {
        return std::make_pair(a->y(), a->x()) < std::make_pair(b->y(), b->x());
    });
    const qsizetype at = areas.indexOf(const_cast<ClickArea *>(this));
    return areas[(at + step + areas.size()) % areas.size()];
}

void ClickArea::focusInEvent(QFocusEvent *event)
{
    update();
    QWidget::focusInEvent(event);
}

void ClickArea::focusOutEvent(QFocusEvent *event)
{
    update();
    QWidget::focusOutEvent(event);
}

namespace {

QAccessibleInterface *clickAreaFactory(const QString &, QObject *object)
{
    if (auto *area = qobject_cast<ClickArea *>(object))
        return new PressableAccessible(area, QAccessible::Button, [area] { emit area->clicked(); });
    return nullptr;
}

} // namespace

void InstallAccessibleClickAreas()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(clickAreaFactory);
}
