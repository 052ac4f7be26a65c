// Start-up scale and placing: the setting read, the screen measured only when "auto"
// can change the factor, QT_SCALE_FACTOR set; frames estimated, then measured after the
// first show.
#include "shell/program_scale.h"

#include "platform/display_scale.h"
#include "platform/screen_probe.h"
#include "platform/user_settings.h"

#include <QEvent>
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

QString ChooseProgramScale(int argc, char **argv)
{
    QString problem;
    ScaleSetting setting;
    try {
        setting = ReadScaleSetting(UserSettings());
    } catch (const SettingsError &e) {
        problem = QString::fromStdString(e.what()) + QStringLiteral(". The windows are fitted to the screen.");
    }
    if (!setting.automatic && setting.factor == 1.0)
        return problem;
    const double user = userScaleFactor();
    // "auto" never enlarges and Qt cannot draw smaller than 1: without a user's factor
    // above 1 there is nothing to choose, and the screen is not measured.
    if (setting.automatic && user <= kSmallestDrawnScale)
        return problem;
    ScreenSpace screen;
    if (setting.automatic) {
        screen = MeasurePrimaryScreen(argc, argv);
        if (screen.available.isEmpty())
            return problem;
    }
    const double factor =
        DrawableScaleFactor(ProgramScaleFactor(screen, kLargestWindow, kEstimatedFrame, setting, user), user);
    if (factor != user)
        qputenv("QT_SCALE_FACTOR", QByteArray::number(factor, 'g', 6));
    return problem;
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
