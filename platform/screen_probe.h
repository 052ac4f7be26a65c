// What the screen offers before the program's application object exists: the window
// system is asked once through a first application object made only for the question, so
// the answer is Qt's own (its platform, its HiDPI ratio, a user's QT_SCALE_FACTOR) on
// every platform, offscreen included.
#pragma once

#include "platform/display_scale.h"

// The primary screen's available area and pixel ratio; an empty area when the platform
// reports no screen. `argc`/`argv` are the program's (a -platform option is followed);
// they are not changed. No application object may exist when it is called.
ScreenSpace MeasurePrimaryScreen(int argc, char **argv);

// The same of the running application object's primary screen.
ScreenSpace PrimaryScreenSpace();
