// Start-up scale and placing: the setting read, the screen measured only when "auto"
// can change the factor, QT_SCALE_FACTOR set; frames estimated, then measured after the
// first show.
#include "shell/program_scale.h"

#include "platform/display_scale.h"
#include "platform/screen_probe.h"
#include "platform/user_settings.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QtGlobal>
#include <QtMath>
#include <algorithm>

namespace {

// QT_SCALE_FACTOR as the user set it (before ChooseProgramScale) or as the program runs.
double userScaleFactor()
{
    bool ok = false;
    const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok && factor > 0 ? factor : 1.0;
}

// Moves the window again once its real frame is known: a window manager reparents a new
// window some moments after it is shown, and Qt learns the frame from it then. Ends
// itself at the first move or resize that comes with a frame, or after a few seconds.
class FrameWatcher : public QObject {
public:
    explicit FrameWatcher(QWidget *window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        QTimer::singleShot(5000, this, [this] { deleteLater(); });
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::Move && event->type() != QEvent::Resize)
            return false;
        const QRect frame = m_window->frameGeometry(), client = m_window->geometry();
        if (frame == client || !m_window->screen())
            return false;
        const QRect available = m_window->screen()->availableGeometry();
        deleteLater();
        m_window->removeEventFilter(this);
        if (!available.contains(frame))
            m_window->move(CentredFramePosition(available, client.size(), frame.size() - client.size()));
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

ProgramScale ChooseProgramScale(int argc, char **argv)
{
    ProgramScale chosen;
    ScaleSetting setting;
    try {
        setting = ReadScaleSetting(UserSettings());
    } catch (const SettingsError &e) {
        chosen.problem = QString::fromStdString(e.what()) + QStringLiteral(". The windows are fitted to the screen.");
    }
    const double user = userScaleFactor();
    if (setting.automatic && user <= 1.0) {
        // Never above the user's factor, so never above 1: Qt runs at 1 and the program
        // draws its windows smaller where the screen needs it, which Qt says once running.
        chosen.fitToScreen = true;
        chosen.windowFactor = user;
        if (user != 1.0)
            qputenv("QT_SCALE_FACTOR", "1");
        return chosen;
    }
    if (!setting.automatic && setting.factor == 1.0 && user >= 1.0)
        return chosen;
    ScreenSpace screen;
    if (setting.automatic) {
        screen = MeasurePrimaryScreen(argc, argv);
        if (screen.available.isEmpty())
            return chosen;
    }
    const DrawnScale drawn =
        SplitScaleFactor(ProgramScaleFactor(screen, kLargestWindow, kEstimatedFrame, setting, user));
    if (drawn.qtFactor != user)
        qputenv("QT_SCALE_FACTOR", QByteArray::number(drawn.qtFactor, 'g', 6));
    chosen.windowFactor = drawn.windowFactor;
    return chosen;
}

double WindowScaleFactor(const ProgramScale &scale)
{
    if (!scale.fitToScreen)
        return scale.windowFactor;
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return 1.0;
    ScreenSpace screen = PrimaryScreenSpace();
    if (screen.available.isEmpty())
        return 1.0;
    // The user's factor below 1 is the program's to draw: Qt runs at 1.
    const double user = scale.windowFactor;
    screen.pixelRatio *= user;
    return SplitScaleFactor(ProgramScaleFactor(screen, kLargestWindow, kEstimatedFrame, ScaleSetting{}, user))
        .windowFactor;
}

QPoint CentredFramePosition(const QRect &available, QSize client, QSize frame)
{
    const QSize whole = client + frame;
    const int x = available.left() + std::max(0, (available.width() - whole.width()) / 2);
    const int y = available.top() + std::max(0, (available.height() - whole.height()) / 2);
    return QPoint(x, y);
}

void PlaceWithinAvailableArea(QWidget *window)
{
    // The frame is drawn at the screen's own size, the window at the program's factor.
    const double factor = userScaleFactor();
    const QSize frame(qCeil(kEstimatedFrame.width() / factor), qCeil(kEstimatedFrame.height() / factor));
    if (const QScreen *screen = window->screen())
        window->move(CentredFramePosition(screen->availableGeometry(), window->size(), frame));
    new FrameWatcher(window);
}
