// The windows' scale: the rule on a table of screens, the [display] scale= setting as the
// settings file gives it, and the order in which the settings files are read.
#include "platform/display_scale.h"
#include "platform/user_settings.h"
#include "tests/common/test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QSize kWindow(1023, 769); // the catalogue window, the largest
const ScaleSetting kAuto;

ScaleSetting fixed(double factor) { return ScaleSetting{false, factor}; }

// Whether the window at `factor`, with its frame, lies in the screen's area, in the
// screen's own pixels.
bool fits(const ScreenSpace &screen, double factor, double userFactor, QSize frame)
{
    const double platform = screen.pixelRatio / userFactor;
    return kWindow.width() * factor + frame.width() <= screen.available.width() / platform + 1e-9
           && kWindow.height() * factor + frame.height() <= screen.available.height() / platform + 1e-9;
}

} // namespace

TEST(DisplayScale, AutomaticFitsTheLargestWindowAndNeverEnlarges)
{
    struct Case {
        const char *name;
        ScreenSpace screen;
        double userFactor;
        double expected; // 0: only "fits and not enlarged" is checked
    } cases[] = {
        // Every small laptop screen gets a factor below 1 that just fits.
        {"1024 x 768", {QSize(1024, 768), 1.0}, 1.0, 0.941},
        {"1280 x 720", {QSize(1280, 720), 1.0}, 1.0, 0.879},
        {"1366 x 768 with a 40 px task bar", {QSize(1366, 728), 1.0}, 1.0, 0.889},
        // Large enough: drawn as designed, not enlarged.
        {"1920 x 1080", {QSize(1920, 1080), 1.0}, 1.0, 1.0},
        {"3840 x 2160 at ratio 2", {QSize(3840, 2160), 2.0}, 1.0, 1.0},
        // A platform ratio that leaves too little room is fitted like a small screen.
        {"2560 x 1440 at ratio 2", {QSize(2560, 1440), 2.0}, 1.0, 0.879},
        // A user's QT_SCALE_FACTOR is kept where it fits and reduced where it does not.
        {"3840 x 2160, user factor 2", {QSize(3840, 2160), 2.0}, 2.0, 2.0},
        {"1920 x 1080, user factor 2", {QSize(1920, 1080), 2.0}, 2.0, 1.347},
        {"1366 x 768, user factor 1.5", {QSize(1366, 768), 1.5}, 1.5, 0.941},
    };
    for (const Case &c : cases) {
        const double factor = ProgramScaleFactor(c.screen, kWindow, kEstimatedFrame, kAuto, c.userFactor);
        EXPECT_NEAR(factor, c.expected, 0.0015) << c.name;
        EXPECT_LE(factor, c.userFactor) << c.name;
        EXPECT_TRUE(fits(c.screen, factor, c.userFactor, kEstimatedFrame)) << c.name;
        // The factor is the largest that fits, to the rounding.
        EXPECT_TRUE(factor == c.userFactor || !fits(c.screen, factor + 0.002, c.userFactor, kEstimatedFrame)) << c.name;
    }
}

TEST(DisplayScale, TheFrameCountsAgainstTheScreen)
{
    const ScreenSpace screen{QSize(1366, 768), 1.0};
    EXPECT_NEAR(ProgramScaleFactor(screen, kWindow, QSize(0, 0), kAuto, 1.0), 0.998, 0.0015);
    EXPECT_NEAR(ProgramScaleFactor(screen, kWindow, QSize(2, 60), kAuto, 1.0), 0.920, 0.0015);
}

TEST(DisplayScale, FactorsBelowOneAreDrawnByTheProgramOnQtAtOne)
{
    const auto split = [](double f) {
        const DrawnScale d = SplitScaleFactor(f);
        return std::pair(d.qtFactor, d.windowFactor);
    };
    EXPECT_EQ(split(0.889), std::pair(1.0, 0.889));
    EXPECT_EQ(split(1.0), std::pair(1.0, 1.0));
    EXPECT_EQ(split(1.347), std::pair(1.347, 1.0));
    // The product is always the factor chosen.
    for (double f : {0.25, 0.5, 0.941, 1.5, 4.0})
        EXPECT_DOUBLE_EQ(SplitScaleFactor(f).qtFactor * SplitScaleFactor(f).windowFactor, f);
}

TEST(DisplayScale, AChosenNumberIsUsedWhateverTheScreen)
{
    const ScreenSpace small{QSize(1024, 768), 1.0};
    EXPECT_EQ(ProgramScaleFactor(small, kWindow, kEstimatedFrame, fixed(1.0), 1.0), 1.0);
    EXPECT_EQ(ProgramScaleFactor(small, kWindow, kEstimatedFrame, fixed(1.5), 1.0), 1.5);
    EXPECT_EQ(ProgramScaleFactor(small, kWindow, kEstimatedFrame, fixed(1.5), 2.0), 3.0);
    // A screen too small for any sensible factor still gets a usable window.
    const ScreenSpace tiny{QSize(200, 150), 1.0};
    EXPECT_EQ(ProgramScaleFactor(tiny, kWindow, kEstimatedFrame, kAuto, 1.0), kMinimumScale);
}

namespace {

// A settings reader over one user file holding `text` and one machine file holding
// `machine` (absent when empty).
struct SettingsFiles {
    QTemporaryDir dir;
    QString user, machine;
    SettingsFiles(const QByteArray &text, const QByteArray &machineText = QByteArray())
        : user(dir.filePath(QStringLiteral("user.conf"))), machine(dir.filePath(QStringLiteral("machine.conf")))
    {
        write(user, text);
        if (!machineText.isEmpty())
            write(machine, machineText);
    }
    static void write(const QString &path, const QByteArray &text)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    UserSettings settings() const { return UserSettings(QStringList{user, machine}); }
};

} // namespace

TEST(DisplayScale, SettingTakesAutoOrANumber)
{
    struct Case {
        const char *text;
        bool automatic;
        double factor;
    } cases[] = {
        {"", true, 1.0},
        {"[display]\nscale=auto\n", true, 1.0},
        {"[display]\nscale = AUTO\n", true, 1.0},
        {"[display]\nscale=1\n", false, 1.0},
        {"[display]\nscale=1.25\n", false, 1.25},
        {"[display]\nscale=0.8\n", false, 0.8},
        {"[display]\nscale=\"1,5\"\n", false, 1.5},
        {"[shop]\nscale=2\n", true, 1.0}, // another group's key is not the display's
    };
    for (const Case &c : cases) {
        SettingsFiles files(c.text);
        const ScaleSetting setting = ReadScaleSetting(files.settings());
        EXPECT_EQ(setting.automatic, c.automatic) << c.text;
        if (!c.automatic) {
            EXPECT_DOUBLE_EQ(setting.factor, c.factor) << c.text;
        }
    }
}

TEST(DisplayScale, UnusableSettingNamesTheFileAndWhatItTakes)
{
    for (const char *value : {"big", "0", "-1", "0.4", "9", "nan"}) {
        SettingsFiles files(QByteArray("[display]\nscale=") + value + "\n");
        testsupport::expectThrowText<SettingsError>(
            [&] { ReadScaleSetting(files.settings()); },
            (files.user
             + QStringLiteral(": [display] scale=%1: write auto, or a scale factor from 0.5 to 4")
                   .arg(QLatin1String(value)))
                .toStdString());
    }
}

TEST(UserSettings, TheUserFileComesBeforeTheMachineFile)
{
    SettingsFiles both("[display]\nscale=1.5\n", "[display]\nscale=2\n[shop]\nbranch=Nord\n");
    const UserSettings settings = both.settings();
    EXPECT_EQ(settings.text(QStringLiteral("display"), QStringLiteral("scale")), QStringLiteral("1.5"));
    EXPECT_EQ(settings.fileOf(QStringLiteral("display"), QStringLiteral("scale")), both.user);
    // A key only the machine's file has is read there.
    EXPECT_EQ(settings.text(QStringLiteral("shop"), QStringLiteral("branch")), QStringLiteral("Nord"));
    EXPECT_EQ(settings.fileOf(QStringLiteral("shop"), QStringLiteral("branch")), both.machine);
    EXPECT_EQ(settings.text(QStringLiteral("shop"), QStringLiteral("stock_file"), QStringLiteral("none")),
              QStringLiteral("none"));
    EXPECT_TRUE(settings.fileOf(QStringLiteral("shop"), QStringLiteral("stock_file")).isEmpty());
}

TEST(UserSettings, TheDesktopPlacesFollowXdg)
{
    const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    const UserSettings settings;
    ASSERT_EQ(settings.files().size(), 2);
    EXPECT_EQ(settings.files()[0], home.filePath(QStringLiteral("dazozizizavuv/dazozizizavuv.conf")));
    EXPECT_TRUE(settings.files()[1].endsWith(QStringLiteral("/dazozizizavuv/dazozizizavuv.conf")));
    if (oldHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldHome);
}
