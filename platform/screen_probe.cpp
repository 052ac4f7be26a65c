// The screen measure: a QGuiApplication made, asked and destroyed. It costs the window
// system's connection once more; the platform plugin and its libraries stay loaded for
// the program's own application object.
#include "platform/screen_probe.h"

#include <QGuiApplication>
#include <QScreen>
#include <vector>

ScreenSpace MeasurePrimaryScreen(int argc, char **argv)
{
    // QGuiApplication takes the Qt options out of the arguments it is given; the
    // program's own application object must still see them.
    std::vector<char *> args(argv, argv + argc);
    args.push_back(nullptr);
    int count = argc;
    QGuiApplication probe(count, args.data());
    return PrimaryScreenSpace();
}

ScreenSpace PrimaryScreenSpace()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const double ratio = screen->devicePixelRatio();
    const QSize logical = screen->availableGeometry().size();
    return ScreenSpace{QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio)), ratio};
}
