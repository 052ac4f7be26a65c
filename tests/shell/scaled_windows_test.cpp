// Windows drawn smaller than designed, offscreen: the designed window is drawn whole at the
// factor (every control where it belongs, which Qt's own scaling below 1 does not do), a
// click at a control's scaled place reaches it, keys reach the focused field, a dialog of
// a scaled window gets a scaled window of its own above it, and the scaled window follows
// its designed one when it is hidden, retitled and destroyed.
#include "shell/scaled_windows.h"

#include <QApplication>
#include <QDialog>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

constexpr double kFactor = 0.75;

struct Designed {
    QDialog window;
    QPushButton *button;
    QLineEdit *field;
    QWidget *red;
    int clicks = 0;
    Designed()
    {
        window.setWindowTitle(QStringLiteral("Designed"));
        window.setFixedSize(400, 300);
        button = new QPushButton(QStringLiteral("Press"), &window);
        button->setGeometry(20, 20, 120, 30);
        field = new QLineEdit(&window);
        field->setGeometry(20, 100, 200, 25);
        // A control far from the corner: Qt's scaling below 1 leaves such ones undrawn.
        red = new QWidget(&window);
        red->setGeometry(240, 180, 120, 80);
        red->setAutoFillBackground(true);
        QPalette p = red->palette();
        p.setColor(QPalette::Window, Qt::red);
        red->setPalette(p);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
    }
};

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// A press and release at `pos` of the view's own pixels.
void clickView(QWidget *shown, QPointF pos)
{
    auto *view = dynamic_cast<QGraphicsView *>(shown);
    ASSERT_NE(view, nullptr);
    QWidget *viewport = view->viewport();
    const QPointF global = viewport->mapToGlobal(pos);
    QMouseEvent press(QEvent::MouseButtonPress, pos, pos, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, pos, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QApplication::sendEvent(viewport, &release);
    settle();
}

} // namespace

TEST(ScaledWindows, TheDesignedWindowIsDrawnWholeAndUsedAtItsScaledPlaces)
{
    const ScaledWindowDrawing drawing(kFactor);
    Designed d;
    d.window.show();
    settle();
    QWidget *shown = ShownWidget(&d.window);
    ASSERT_NE(shown, &d.window);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_TRUE(d.window.testAttribute(Qt::WA_DontShowOnScreen)) << "the designed window itself stays off the screen";
    EXPECT_EQ(shown->size(), QSize(300, 225));
    EXPECT_EQ(shown->windowTitle(), QStringLiteral("Designed"));
    EXPECT_EQ(ShownWindow(&d.window), shown->windowHandle());
    // The designed window keeps its own size and layout.
    EXPECT_EQ(d.window.size(), QSize(400, 300));
    EXPECT_EQ(d.red->geometry(), QRect(240, 180, 120, 80));

    const QImage picture = shown->grab().toImage();
    EXPECT_EQ(picture.pixelColor(int(300 * kFactor), int(220 * kFactor)), QColor(Qt::red));
    EXPECT_NE(picture.pixelColor(int(200 * kFactor), int(220 * kFactor)), QColor(Qt::red));

    clickView(shown, QPointF(80 * kFactor, 35 * kFactor));
    EXPECT_EQ(d.clicks, 1);
    clickView(shown, QPointF(80 * kFactor, 70 * kFactor));
    EXPECT_EQ(d.clicks, 1) << "a click beside the button";

    // Keys typed at the scaled window reach the designed window's focused field.
    QApplication::setActiveWindow(shown);
    d.field->setFocus();
    settle();
    EXPECT_TRUE(d.field->hasFocus());
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(shown, &key);
    settle();
    EXPECT_EQ(d.field->text(), QStringLiteral("a"));
}

TEST(ScaledWindows, FollowsItsWindowAndGivesItsDialogsTheirOwn)
{
    const ScaledWindowDrawing drawing(kFactor);
    auto *designed = new Designed;
    designed->window.show();
    settle();
    QPointer<QWidget> shown = ShownWidget(&designed->window);
    ASSERT_NE(shown.data(), &designed->window);

    designed->window.setWindowTitle(QStringLiteral("Renamed"));
    settle();
    EXPECT_EQ(shown->windowTitle(), QStringLiteral("Renamed"));

    QDialog dialog(&designed->window);
    dialog.resize(200, 100);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    settle();
    QWidget *dialogShown = ShownWidget(&dialog);
    EXPECT_NE(dialogShown, &dialog);
    EXPECT_NE(dialogShown, shown.data());
    ASSERT_NE(dialog.graphicsProxyWidget(), nullptr);
    EXPECT_NE(dialog.graphicsProxyWidget()->scene(), designed->window.graphicsProxyWidget()->scene())
        << "not drawn inside the window it belongs to";
    EXPECT_EQ(dialogShown->size(), QSize(150, 75));
    EXPECT_EQ(dialogShown->windowModality(), Qt::ApplicationModal);
    ASSERT_NE(dialogShown->windowHandle(), nullptr);
    EXPECT_EQ(dialogShown->windowHandle()->transientParent(), shown->windowHandle());
    // Activated, its first control takes the keys, as a dialog on the screen's would.
    QApplication::setActiveWindow(dialogShown);
    settle();
    EXPECT_TRUE(ok->hasFocus());
    dialog.hide();
    settle();
    EXPECT_FALSE(dialogShown->isVisible());

    designed->window.hide();
    settle();
    EXPECT_FALSE(shown->isVisible());
    designed->window.show();
    settle();
    EXPECT_TRUE(shown->isVisible());
    dialog.setParent(nullptr);
    delete designed;
    settle();
    EXPECT_TRUE(shown.isNull()) << "the scaled window goes with its window";
}

TEST(ScaledWindows, NothingChangesAtOneAndAbove)
{
    const ScaledWindowDrawing drawing(1.0);
    Designed d;
    d.window.show();
    settle();
    EXPECT_EQ(ShownWidget(&d.window), &d.window);
    EXPECT_FALSE(d.window.testAttribute(Qt::WA_DontShowOnScreen));
}
