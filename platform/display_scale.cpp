// The scale rule: which factor lets the largest window and its frame fit the screen.
#include "platform/display_scale.h"

#include "platform/user_settings.h"

#include <algorithm>
#include <cmath>

ScaleSetting ReadScaleSetting(const UserSettings &settings)
{
    const QString group = QStringLiteral("display"), key = QStringLiteral("scale");
    const QString text = settings.text(group, key, QStringLiteral("auto"));
    if (text.isEmpty() || text.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
        return {};
    bool ok = false;
    const double factor = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(factor) || factor < kSmallestChosenScale || factor > kMaximumScale)
        settings.reject(group, key,
                        QStringLiteral("write auto, or a scale factor from %1 to %2 such as 1.25 (1 draws the "
                                       "windows at their designed size)")
                            .arg(kSmallestChosenScale)
                            .arg(kMaximumScale));
    return ScaleSetting{false, factor};
}

double ProgramScaleFactor(const ScreenSpace &screen, QSize window, QSize frame, const ScaleSetting &setting,
                          double userFactor)
{
    double factor = userFactor * setting.factor;
    if (setting.automatic) {
        // The screen in the pixels the window manager draws frames in: the user's factor
        // taken out again, a platform's own ratio (a HiDPI desktop) kept.
        const double platformRatio = screen.pixelRatio / userFactor;
        const double width = screen.available.width() / platformRatio - frame.width();
        const double height = screen.available.height() / platformRatio - frame.height();
        const double fits = std::min(width / window.width(), height / window.height());
        factor = std::min(userFactor, fits);
    }
    // Rounded down: Qt rounds a scaled size to whole pixels, and a window one pixel too
    // tall would undo the fitting.
    return std::max(kMinimumScale, std::floor(factor * 1000.0 + 1e-9) / 1000.0);
}

DrawnScale SplitScaleFactor(double factor)
{
    if (factor >= 1.0)
        return DrawnScale{factor, 1.0};
    return DrawnScale{1.0, factor};
}
