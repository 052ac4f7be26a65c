// Makes the program's own widgets readable by screen readers: the data grids as tables
// of their visible rows and cells, the bitmap buttons as (toggle) buttons, the link label
// as a link, the note label as its text, the picture view as a picture and the column
// combo box as a combo box with its selected item as value and text, its items as its
// children.
#pragma once

#include <QAccessibleWidget>
#include <functional>

// Installs the accessibility factory for the widget layer's controls. Call once at
// start-up, before the first window is shown; calling it again does nothing.
void InstallAccessibleWidgets();

// What an accessibility action does: it runs `press` once control is back in the event
// loop, through the error guard, unless `target` is gone by then. A reader's call must
// return at once, and a press may open a modal window or a message box that waits.
void PressLater(QWidget *target, std::function<void()> press);

// A control whose one action, "Press", does what a click on it does, after the reader's
// call has returned (PressLater). Disabled, it does nothing.
class PressableAccessible : public QAccessibleWidget {
public:
    PressableAccessible(QWidget *w, QAccessible::Role role, std::function<void()> press);

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &actionName) override;

private:
    std::function<void()> m_press;
};
