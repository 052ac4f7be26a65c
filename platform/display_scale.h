// The program-wide scale factor of the windows. The designed windows have fixed sizes in
// pixels (the catalogue window's client area is 1023 x 769); on a screen too small for
// them every window is drawn smaller as a whole, through Qt's own scaling, so layout,
// texts and clicks stay those of the design. The factor is chosen once, at start-up,
// before the application object reads QT_SCALE_FACTOR.
#pragma once

#include <QSize>
#include <QString>

class UserSettings;

// [display] scale=: "auto" (the default) fits the windows to the screen without ever
// enlarging them; a number is the factor itself ("1" turns scaling off).
struct ScaleSetting {
    bool automatic = true;
    double factor = 1.0; // when not automatic
};

// The setting from [display] scale=; raises SettingsError for anything but "auto" or a
// number from kSmallestChosenScale to kMaximumScale (a decimal comma is taken as a point).
ScaleSetting ReadScaleSetting(const UserSettings &settings);
inline constexpr double kMinimumScale = 0.25;
inline constexpr double kSmallestChosenScale = 0.5;
inline constexpr double kMaximumScale = 4.0;

// How a factor is drawn. Qt 6.4's painter never draws smaller than one screen pixel to a
// window pixel (it takes a device pixel ratio below 1 as 1) while it places and clips the
// windows and controls at the smaller size, so below 1 every control but the first would
// be drawn out of place: Qt's own scaling (QT_SCALE_FACTOR) draws the factors from 1 up,
// and below 1 Qt runs at 1 while the program draws each window smaller itself.
struct DrawnScale {
    double qtFactor = 1.0;     // QT_SCALE_FACTOR, at least 1
    double windowFactor = 1.0; // what each window is drawn at on top of it, at most 1
};
DrawnScale SplitScaleFactor(double factor);

// What the screen offers, as Qt reports it before the program's own factor.
struct ScreenSpace {
    QSize available;         // the available area (screen less task bars), device pixels
    double pixelRatio = 1.0; // device pixels per window pixel, a user's QT_SCALE_FACTOR included
};

// The window frame a window manager adds, in the screen's own pixels, before the first
// window shows it: a title bar and thin borders, on the large side of the usual ones.
inline constexpr QSize kEstimatedFrame(12, 44);

// The QT_SCALE_FACTOR the program runs with. `userFactor` is the QT_SCALE_FACTOR the
// user set (1 when none), already part of `screen.pixelRatio`; `window` is the client
// size of the largest window. Automatic: the largest factor, not above the user's, at
// which the window with its frame lies within the available area; a number multiplies
// the user's factor. Rounded down to three decimals, never below kMinimumScale.
double ProgramScaleFactor(const ScreenSpace &screen, QSize window, QSize frame, const ScaleSetting &setting,
                          double userFactor);
