// The windows' scale at start-up: [display] scale= and the screen decide the factor,
// which is handed to Qt as QT_SCALE_FACTOR before the application object is made; and
// the placing of a window so that its frame, not only its client area, lies on the screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// The client area of the largest window, the catalogue window's.
inline constexpr QSize kLargestWindow(1023, 769);

// The program's scale as chosen before the application object exists.
struct ProgramScale {
    double windowFactor = 1.0; // below 1: the program draws every window at it itself
    bool fitToScreen = false;  // the factor is worked out on the screen once Qt is running
    QString problem; // what went wrong with the setting, for the user once a window can say it
                     // (the windows are then fitted as with "auto"); empty when nothing did
};

// Sets QT_SCALE_FACTOR for the application object still to be made (or leaves it as the
// user set it). The screen is measured before the application object only where the
// factor Qt runs at depends on it: a user's factor above 1 that "auto" may reduce.
ProgramScale ChooseProgramScale(int argc, char **argv);

// Once the application object exists: the factor the program draws its windows at
// (ScaledWindowDrawing), 1 when Qt's own factor does it all. The offscreen platform has no
// screen anybody looks at, and is not fitted to.
double WindowScaleFactor(const ProgramScale &scale);

// Where a window of client size `client` goes (its frame's top-left, as QWidget::move
// takes it) so that it and a frame of `frame` are centred in `available`; the top-left
// stays inside `available` when the window is larger.
QPoint CentredFramePosition(const QRect &available, QSize client, QSize frame);

// Centres `window` on its screen's available area with the estimated frame now, and
// again with its real frame once the window manager has put one round it.
void PlaceWithinAvailableArea(QWidget *window);
