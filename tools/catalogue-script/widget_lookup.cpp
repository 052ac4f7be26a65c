// Lookup of windows and controls among the application's top-level widgets.
#include "tools/catalogue-script/widget_lookup.h"

#include "tools/catalogue-script/script.h"

#include <QApplication>
#include <algorithm>

std::vector<QWidget *> VisibleWindows()
{
    std::vector<QWidget *> windows;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        // Popups (an open drop-down list) are part of the control that opened them.
        if (w->isVisible() && w->windowType() != Qt::Popup && !w->objectName().isEmpty())
            windows.push_back(w);
    }
    // Named order keeps dumps stable; the window in front goes last.
    std::sort(windows.begin(), windows.end(), [](QWidget *a, QWidget *b) { return a->objectName() < b->objectName(); });
    if (QWidget *modal = QApplication::activeModalWidget()) {
        const auto at = std::find(windows.begin(), windows.end(), modal);
        if (at != windows.end()) {
            windows.erase(at);
            windows.push_back(modal);
        }
    }
    return windows;
}

QWidget *FrontWindow()
{
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal->isVisible())
        return modal;
    const std::vector<QWidget *> windows = VisibleWindows();
    for (QWidget *w : windows) {
        if (w->objectName() == QLatin1String("FormSelect"))
            return w;
    }
    return windows.empty() ? nullptr : windows.front();
}

QWidget *FindWidget(const QString &name)
{
    const std::vector<QWidget *> windows = VisibleWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((*it)->objectName() == name)
            return *it;
        // A visible control wins over a hidden one of the same name.
        QWidget *hidden = nullptr;
        for (QWidget *child : (*it)->findChildren<QWidget *>(name)) {
            if (child->window() != *it) // a control of a window this one owns
                continue;
            if (child->isVisibleTo(*it))
                return child;
            if (!hidden)
                hidden = child;
        }
        if (hidden)
            return hidden;
    }
    throw ScriptError(QStringLiteral("no control named %1 on screen").arg(name).toStdString());
}

void ThrowNotOfKind(const QString &name, const char *kind)
{
    throw ScriptError(QStringLiteral("%1 is not a %2").arg(name, QString::fromLatin1(kind)).toStdString());
}

void RequireVisible(QWidget *widget)
{
    if (!widget->isVisible())
        throw ScriptError(QStringLiteral("%1 is not visible").arg(widget->objectName()).toStdString());
}
