// The brand selection screen on real windows offscreen: its creation with and without the
// intro picture, the first catalogue window made once the screen is painted (or at a
// brand chosen before that), the five brand areas by mouse, keyboard and accessibility
// action, clicks beside them, and the close button.
#include "catalog/window/main_form.h"
#include "data/data_module.h"
#include "data/desk_form.h"
#include "platform/messages.h"
#include "platform/settings.h"
#include "shell/click_area_p.h"
#include "shell/form_select.h"
#include "widgets/accessible_widgets.h"
#include "widgets/image_view.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A left click at `pos` in the window's coordinates, delivered to the control under it.
void clickAt(QWidget *window, QPoint pos)
{
    QWidget *target = window->childAt(pos);
    if (!target)
        target = window;
    const QPointF local = target->mapFrom(window, pos);
    const QPointF global = window->mapToGlobal(QPointF(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, QPointF(pos), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, QPointF(pos), global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

void releaseDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

int introErrors(const RecordingMessages &shown)
{
    int n = 0;
    for (const RecordedMessage &m : shown.shown)
        n += m.kind == QLatin1String("error") && m.text.contains(QLatin1String("intro.jpg"));
    return n;
}

// What one click on the screen led to, seen from inside the modal catalogue window.
struct Visit {
    bool opened = false;        // a catalogue window was shown modally
    bool waitingWindow = false; // it was the one created by the screen's last showing
    QString brandWhileShown;
};

class BrandScreen : public ::testing::Test {
protected:
    void TearDown() override
    {
        form.reset();
        releaseDeferredDeletes();
        OverrideProgramFolder(QString());
    }

    // Starts the screen on the program folder `folder` as the start-up does: created,
    // then shown, and left to the event loop until its first painting has created the
    // catalogue window.
    void start(const QString &folder)
    {
        OverrideProgramFolder(folder);
        form = std::make_unique<TFormSelect>();
        form->show();
        waitForCatalogueWindow();
    }
    static void waitForCatalogueWindow()
    {
        QElapsedTimer waited;
        waited.start();
        while (!frm_main && waited.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    // Clicks at `pos`. Should the click open the catalogue window, the window is left by
    // its back button after the brand screen was hidden, as the window's first make click
    // does when the catalogue has makes.
    Visit click(QPoint pos)
    {
        Visit visit;
        armVisitCheck(visit, frm_main);
        clickAt(form.get(), pos);
        QCoreApplication::processEvents(); // the check runs now when no window opened
        return visit;
    }

    // Runs inside the modal loop. The window is visible a moment before it becomes modal
    // (its show handler runs first); leaving it before its loop runs would strand that loop.
    static void armVisitCheck(Visit &visit, const Tfrm_main *waiting)
    {
        QTimer::singleShot(0, [&visit, waiting] {
            auto *modal = qobject_cast<Tfrm_main *>(QApplication::activeModalWidget());
            if (!modal) {
                if (frm_main && frm_main->isVisible())
                    armVisitCheck(visit, waiting);
                return;
            }
            visit.opened = true;
            visit.waitingWindow = modal == waiting;
            visit.brandWhileShown = SelectedBrand;
            if (FormSelect)
                FormSelect->hide();
            modal->VrBitmapButton6Click(nullptr);
        });
    }

    ScopedRecordingMessages shown;
    TDM dataModule; // made before the screen, as at start-up
    QTemporaryDir emptyFolder;
    std::unique_ptr<TFormSelect> form;
};

TEST_F(BrandScreen, IntroPictureShownFromTheProgramFolder)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("img")));
    QImage intro(1022, 767, QImage::Format_RGB32);
    intro.fill(QColor(20, 60, 160));
    // A light block in the corner shows the picture is placed at the top left, unshifted.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            intro.setPixelColor(x, y, QColor(250, 250, 250));
    ASSERT_TRUE(intro.save(folder.filePath(QStringLiteral("img/intro.jpg")), "JPG", 100));

    start(folder.path());
    EXPECT_EQ(introErrors(shown), 0) << shown.texts().join('\n').toStdString();
    EXPECT_EQ(form->Image32LogIn->Bitmap().size(), QSize(1022, 767));
    EXPECT_EQ(form->Image32LogIn->PictureRect(), QRect(0, 0, 1022, 767)) << "own size, top left";
    const QImage screen = form->grab().toImage();
    // Away from the close button, and inside a brand area: the areas draw nothing of their own.
    for (QPoint p : {QPoint(600, 400), QPoint(200, 170), QPoint(1000, 760)})
        EXPECT_LT(qAbs(screen.pixelColor(p).blue() - 160), 12) << p.x() << "," << p.y();
    EXPECT_GT(screen.pixelColor(3, 3).red(), 200);
    EXPECT_LT(screen.pixelColor(12, 12).red(), 60);
}

TEST_F(BrandScreen, MissingIntroPictureIsReportedOnceAndTheRestOfTheCreationRuns)
{
    start(emptyFolder.path());
    EXPECT_EQ(introErrors(shown), 1) << shown.texts().join('\n').toStdString();
    for (const RecordedMessage &m : shown.shown) {
        if (m.text.contains(QLatin1String("intro.jpg"))) {
            EXPECT_TRUE(m.text.startsWith(QStringLiteral("Cannot open file \"")
                                          + QDir(emptyFolder.path()).filePath(QStringLiteral("img/intro.jpg"))))
                << m.text.toStdString();
        }
    }
    EXPECT_TRUE(form->Image32LogIn->Bitmap().isNull());
    ASSERT_NE(frm_desk, nullptr);
    EXPECT_EQ(frm_desk->parent(), form.get());
    EXPECT_FALSE(frm_desk->isVisible());
    EXPECT_EQ(HintHidePause, 100000);
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(255, 255, 0));
    ASSERT_NE(frm_main, nullptr) << "showing the screen creates the catalogue window";
    EXPECT_FALSE(frm_main->isVisible());

    // and the screen still works
    const Visit visit = click(QPoint(238, 170));
    EXPECT_TRUE(visit.opened);
    EXPECT_EQ(SelectedBrand, QStringLiteral("KORVA"));
}

struct BrandArea {
    const char *name;
    QRect place;
    const char *code;
};

const BrandArea kAreas[] = {
    {"ImageKorva", QRect(134, 126, 209, 91), "KORVA"},   {"ImageQuib", QRect(134, 269, 209, 100), "QUIB"},
    {"ImageBrask", QRect(134, 401, 209, 80), "BRASK"},   {"ImageFenu", QRect(134, 536, 209, 81), "FENU"},
    {"ImageZelkar", QRect(134, 672, 209, 92), "ZELKAR"},
};

TEST_F(BrandScreen, EachBrandAreaStoresItsCodeAndOpensAFreshCatalogueWindow)
{
    start(emptyFolder.path());
    for (const BrandArea &area : kAreas) {
        SCOPED_TRACE(area.name);
        auto *control = form->findChild<QWidget *>(QString::fromLatin1(area.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget(), form->Image32LogIn);
        EXPECT_EQ(control->geometry(), area.place);
        EXPECT_EQ(control->cursor().shape(), Qt::PointingHandCursor);

        // Both corners of the area count, to catch an area placed a pixel off.
        for (QPoint pos : {area.place.topLeft(), area.place.bottomRight()}) {
            QPointer<Tfrm_main> before = frm_main;
            SelectedBrand = QStringLiteral("none yet");
            const Visit visit = click(pos);
            ASSERT_TRUE(visit.opened) << "no catalogue window opened";
            EXPECT_TRUE(visit.waitingWindow) << "the window created by the last showing is shown";
            EXPECT_EQ(visit.brandWhileShown, QLatin1String(area.code));
            EXPECT_EQ(SelectedBrand, QLatin1String(area.code));
            EXPECT_TRUE(form->isVisible()) << "back on the brand screen";
            ASSERT_NE(frm_main, nullptr);
            EXPECT_NE(frm_main, before) << "a fresh window waits for the next visit";
            EXPECT_FALSE(frm_main->isVisible());
            releaseDeferredDeletes();
            EXPECT_EQ(before, nullptr) << "the window of the finished visit is released";
        }
    }
}

TEST_F(BrandScreen, BrandAreasWorkFromTheKeyboardAndThroughTheirAction)
{
    InstallAccessibleWidgets();
    InstallAccessibleClickAreas();
    start(emptyFolder.path());
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    const auto focused = [] {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    };
    const auto key = [](int k) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &e);
    };
    EXPECT_EQ(focused(), "ImageKorva") << "the first area has the first focus";

    // Tab runs down the areas to the close button; the arrows stay among the areas.
    QStringList tabbed, arrowed;
    for (int i = 0; i < 5; ++i) {
        key(Qt::Key_Tab);
        tabbed << focused();
    }
    EXPECT_EQ(tabbed, (QStringList{"ImageQuib", "ImageBrask", "ImageFenu", "ImageZelkar", "VrBitmapButton1"}));
    form->ImageZelkar->setFocus(Qt::OtherFocusReason);
    for (int k : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Left, Qt::Key_Right}) {
        key(k);
        arrowed << focused();
    }
    EXPECT_EQ(arrowed,
              (QStringList{"ImageKorva", "ImageQuib", "ImageKorva", "ImageZelkar", "ImageFenu", "ImageZelkar"}));

    for (const BrandArea &area : kAreas) {
        SCOPED_TRACE(area.name);
        auto *control = form->findChild<ClickArea *>(QString::fromLatin1(area.name));
        ASSERT_NE(control, nullptr);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
        EXPECT_EQ(iface->role(), QAccessible::Button);
        EXPECT_EQ(iface->text(QAccessible::Name), QLatin1String(area.code));
        EXPECT_TRUE(iface->state().focusable);

        // The action returns at once; the catalogue window opens once it has.
        Visit byAction;
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_FALSE(frm_main->isVisible()) << "the reader's call waited for the modal window";
        // Armed after the press is queued, so the check runs inside the window's loop.
        armVisitCheck(byAction, frm_main);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_TRUE(byAction.opened);
        EXPECT_EQ(byAction.brandWhileShown, QLatin1String(area.code));

        for (int k : {Qt::Key_Return, Qt::Key_Space}) {
            Visit byKey;
            armVisitCheck(byKey, frm_main);
            // Back from a visit, the offscreen screen is active again only on a later event.
            QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
            QApplication::sendEvent(control, &e);
            EXPECT_TRUE(byKey.opened) << k;
            EXPECT_EQ(byKey.brandWhileShown, QLatin1String(area.code)) << k;
        }
        releaseDeferredDeletes();
    }
}

TEST_F(BrandScreen, ClicksBesideTheAreasDoNothing)
{
    start(emptyFolder.path());
    const QPoint outside[] = {
        {50, 50},   // background, top left
        {133, 170}, // one pixel left of KORVA
        {343, 170}, // one pixel right of KORVA
        {238, 125}, // one pixel above KORVA
        {238, 217}, // one pixel below KORVA
        {238, 240}, // between KORVA and QUIB
        {238, 764}, // below ZELKAR
        {700, 400}, // the middle of the picture
        {954, 25},  // left of the close button
    };
    for (QPoint pos : outside) {
        SCOPED_TRACE(testing::Message() << pos.x() << "," << pos.y());
        SelectedBrand = QStringLiteral("unchanged");
        QPointer<Tfrm_main> before = frm_main;
        const Visit visit = click(pos);
        EXPECT_FALSE(visit.opened);
        EXPECT_EQ(SelectedBrand, QStringLiteral("unchanged"));
        EXPECT_EQ(frm_main, before);
        EXPECT_TRUE(form->isVisible());
    }
}

// Records with each message whether the brand screen was on view when it came.
class ExposureRecorder : public ScopedRecordingMessages {
public:
    void ShowMessage(const QString &text) override
    {
        note();
        ScopedRecordingMessages::ShowMessage(text);
    }
    int MessageBox(const QString &text, const QString &caption, int style) override
    {
        note();
        return ScopedRecordingMessages::MessageBox(text, caption, style);
    }
    void ShowException(const QString &text) override
    {
        note();
        ScopedRecordingMessages::ShowException(text);
    }
    std::vector<bool> onView;

private:
    void note()
    {
        onView.push_back(FormSelect && FormSelect->windowHandle() && FormSelect->windowHandle()->isExposed());
    }
};

TEST_F(BrandScreen, TheFirstCatalogueWindowIsCreatedOnceTheScreenIsPainted)
{
    ExposureRecorder seen;
    OverrideProgramFolder(emptyFolder.path());
    form = std::make_unique<TFormSelect>();
    const size_t beforeShowing = seen.shown.size();
    EXPECT_GE(beforeShowing, 1u) << "the missing intro picture is reported at the creation";
    form->show();
    EXPECT_EQ(frm_main, nullptr) << "no catalogue window before the screen is painted";
    EXPECT_EQ(seen.shown.size(), beforeShowing);
    waitForCatalogueWindow();
    ASSERT_NE(frm_main, nullptr) << "the first painting creates the catalogue window";
    EXPECT_FALSE(frm_main->isVisible());
    // The catalogue is missing from the empty folder: its messages come over the screen.
    ASSERT_GT(seen.shown.size(), beforeShowing) << "the missing catalogue is reported before any click";
    for (size_t i = 0; i < seen.shown.size(); ++i)
        EXPECT_EQ(seen.onView[i], i >= beforeShowing) << seen.shown[i].text.toStdString();

    // Shown again after a visit, the screen creates the next window at once, as before.
    QPointer<Tfrm_main> first = frm_main;
    const Visit visit = click(QPoint(238, 170));
    ASSERT_TRUE(visit.opened);
    EXPECT_TRUE(visit.waitingWindow);
    ASSERT_NE(frm_main, nullptr);
    EXPECT_NE(frm_main, first);
}

TEST_F(BrandScreen, ABrandChosenBeforeTheFirstPaintOpensACatalogueWindow)
{
    OverrideProgramFolder(emptyFolder.path());
    form = std::make_unique<TFormSelect>();
    form->show();
    ASSERT_EQ(frm_main, nullptr);
    const Visit visit = click(QPoint(238, 170));
    EXPECT_TRUE(visit.opened);
    EXPECT_EQ(visit.brandWhileShown, QStringLiteral("KORVA"));
    EXPECT_TRUE(form->isVisible()) << "back on the brand screen";
    // The screen's first painting, whenever it comes, leaves the window waiting for the
    // next visit alone.
    QPointer<Tfrm_main> waiting = frm_main;
    ASSERT_NE(waiting, nullptr);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(frm_main, waiting);
}

TEST_F(BrandScreen, CloseButtonEndsTheProgram)
{
    start(emptyFolder.path());
    bool clicked = false;
    QTimer::singleShot(0, [&] {
        clicked = true;
        clickAt(form.get(), QPoint(955 + 17, 8 + 17));
    });
    // Only a safety net should the loop not end; it is not part of what is checked.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(20000);
    const int status = QApplication::exec();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(status, 0) << "the message loop did not end with the main window";
    EXPECT_FALSE(form->isVisible());
}

} // namespace
