// Finding the program's windows and controls by their design names (objectName), the way
// a user sees them: the window in front first, then the other visible windows.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

// Visible top-level windows, the ones behind first and the active modal window last, so
// that a name found in several windows resolves to the one in front.
std::vector<QWidget *> VisibleWindows();

// The window a user is looking at: the active modal window, otherwise the brand screen,
// otherwise the first visible window; nullptr when none is visible.
QWidget *FrontWindow();

// The control or window named `name`, searched in the visible windows from the front;
// throws ScriptError "no control named NAME on screen" when there is none.
QWidget *FindWidget(const QString &name);

// FindWidget, then checks it is of type T; throws ScriptError naming the expected kind.
template <class T>
T *FindWidgetAs(const QString &name, const char *kind);

// Throws ScriptError "NAME is not visible" unless the widget and its parents are shown.
void RequireVisible(QWidget *widget);

// --- implementation of the template
[[noreturn]] void ThrowNotOfKind(const QString &name, const char *kind);

template <class T>
T *FindWidgetAs(const QString &name, const char *kind)
{
    if (T *found = qobject_cast<T *>(FindWidget(name)))
        return found;
    ThrowNotOfKind(name, kind);
}
