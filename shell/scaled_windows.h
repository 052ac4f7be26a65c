// Windows drawn smaller than designed. Qt draws its widgets correctly only at scale
// factors of 1 and above, so on a screen too small for the designed windows each of the
// program's windows is shown through a window of its own that draws it scaled down as a
// whole: the designed window keeps its size, controls and texts, is laid out and clicked
// in its own pixels, and only the screen pixels it takes change.
#pragma once

class QWidget;
class QWindow;

// While it lives, every top-level window the program shows (but popups and tool tips,
// which the window they belong to draws) is shown at `factor` (below 1; at 1 and above
// it does nothing), by a window that follows it: shown, hidden, titled, closed and
// destroyed with it. Windows shown while it lived stay so drawn. One at a time; it needs
// the application object.
class ScaledWindowDrawing {
public:
    explicit ScaledWindowDrawing(double factor);
    ~ScaledWindowDrawing();
    ScaledWindowDrawing(const ScaledWindowDrawing &) = delete;
    ScaledWindowDrawing &operator=(const ScaledWindowDrawing &) = delete;

private:
    bool m_active = false;
};

// The window on the screen that shows `window`: the scaled one drawing it, or `window`'s
// own. Null before the window was first shown.
QWindow *ShownWindow(QWidget *window);
// The top-level widget on the screen that shows `window`: the scaled one drawing it, or
// `window` itself.
QWidget *ShownWidget(QWidget *window);
