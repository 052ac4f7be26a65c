// The photo zoom window on real windows offscreen: how photos of several shapes are fitted
// at the design size and after a resize, the ways of closing it (mouse and keyboard), its
// lifetime, what assistive tools read of it, and the empty white area when no photo was
// loaded.
#include "catalog/window/zoom_form.h"
#include "widgets/accessible_widgets.h"
#include "widgets/hyperlink_label.h"
#include "widgets/image_view.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QColor kPhotoColour(200, 30, 40);

// Opens the zoom window on `photo` and runs `inside` while it is modal. `inside` must
// close it; should it fail to, the window is ended here so the test does not hang.
void withZoomOpen(QWidget &owner, const ImageView &photo, const std::function<void(Tfrm_zoom &)> &inside)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        ASSERT_NE(frm_zoom, nullptr);
        Tfrm_zoom &zoom = *frm_zoom;
        EXPECT_EQ(QApplication::activeModalWidget(), &zoom);
        inside(zoom);
        if (zoom.isVisible()) {
            ADD_FAILURE() << "the zoom window is still open";
            zoom.done(0);
        }
    });
    ShowPhotoZoom(&owner, photo);
    EXPECT_TRUE(ran);
}

void expectPictureAt(ImageView &view, QRect expected)
{
    EXPECT_EQ(view.PictureRect(), expected);
    const QImage shot = view.grab().toImage();
    ASSERT_EQ(shot.size(), view.size());
    const QRect inner = expected.adjusted(1, 1, -1, -1);
    for (QPoint p : {inner.topLeft(), inner.bottomRight(), inner.center()})
        EXPECT_EQ(shot.pixelColor(p), kPhotoColour) << "photo at " << p.x() << "," << p.y();
    // The margins, where the photo does not reach, are white.
    const QPoint outside[] = {{expected.left() - 1, expected.center().y()},
                              {expected.right() + 1, expected.center().y()},
                              {expected.center().x(), expected.top() - 1},
                              {expected.center().x(), expected.bottom() + 1}};
    for (QPoint p : outside) {
        if (shot.rect().contains(p)) {
            EXPECT_EQ(shot.pixelColor(p), QColor(Qt::white)) << "margin at " << p.x() << "," << p.y();
        }
    }
}

// A key pressed where the window's focus is, as a keyboard user does; the link must be
// that focus.
void pressOnFocus(Tfrm_zoom &zoom, int key)
{
    zoom.activateWindow();
    QApplication::setActiveWindow(&zoom);
    ASSERT_EQ(zoom.focusWidget(), zoom.ZoomFoto) << "the link takes the focus";
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(zoom.focusWidget(), &press);
}

struct FitCase {
    const char *name;
    QSize photo;
    QRect atDesignSize; // in the 531 x 426 picture area
    QRect afterResize;  // in the 831 x 596 area of an 831 x 626 window
};

const FitCase kFits[] = {
    {"wide photo, reduced", {2410, 1000}, {0, 103, 531, 220}, {0, 125, 831, 345}},
    {"small photo, enlarged", {100, 60}, {0, 53, 531, 319}, {0, 48, 831, 499}},
    {"tall photo, side margins", {200, 400}, {159, 0, 213, 426}, {266, 0, 298, 596}},
};

TEST(ZoomWindow, FitsThePhotoCentredAtTheDesignSizeAndAfterAResize)
{
    for (const FitCase &fit : kFits) {
        SCOPED_TRACE(fit.name);
        QWidget owner;
        ImageView photo(&owner);
        QImage picture(fit.photo, QImage::Format_RGB32);
        picture.fill(kPhotoColour);
        photo.setBitmap(picture);

        withZoomOpen(owner, photo, [&](Tfrm_zoom &zoom) {
            EXPECT_EQ(zoom.windowTitle(), QStringLiteral("Zoom"));
            EXPECT_EQ(zoom.size(), QSize(531, 456));
            EXPECT_EQ(zoom.ImageZoom->geometry(), QRect(0, 0, 531, 426));
            EXPECT_EQ(zoom.ImageZoom->Bitmap().size(), fit.photo) << "the full-resolution photo";
            expectPictureAt(*zoom.ImageZoom, fit.atDesignSize);

            zoom.resize(831, 626);
            QCoreApplication::processEvents();
            EXPECT_EQ(zoom.ImageZoom->geometry(), QRect(0, 0, 831, 596));
            expectPictureAt(*zoom.ImageZoom, fit.afterResize);
            // The link keeps to the bottom-right corner.
            EXPECT_EQ(zoom.ZoomFoto->mapTo(&zoom, QPoint(0, 0)), QPoint(831 - 185 + 137, 626 - 30 + 9));
            zoom.ZoomFotoClick();
        });
    }
}

void clickLink(HyperlinkLabel &link)
{
    const QPointF at(link.width() / 2.0, link.height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, link.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&link, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, link.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&link, &release);
}

struct CloseCase {
    const char *name;
    std::function<void(Tfrm_zoom &)> close;
};

TEST(ZoomWindow, ClosesByTheLinkAndByTheCloseBoxAndIsDestroyedAfterwards)
{
    const CloseCase cases[] = {
        {"link", [](Tfrm_zoom &zoom) { clickLink(*zoom.ZoomFoto); }},
        {"close box", [](Tfrm_zoom &zoom) { zoom.windowHandle()->close(); }},
        {"Enter on the focused link", [](Tfrm_zoom &zoom) { pressOnFocus(zoom, Qt::Key_Return); }},
        {"Space on the focused link", [](Tfrm_zoom &zoom) { pressOnFocus(zoom, Qt::Key_Space); }},
    };
    for (const CloseCase &c : cases) {
        SCOPED_TRACE(c.name);
        QWidget owner;
        ImageView photo(&owner);
        QImage picture(300, 200, QImage::Format_RGB32);
        picture.fill(kPhotoColour);
        photo.setBitmap(picture);

        QPointer<Tfrm_zoom> opened;
        withZoomOpen(owner, photo, [&](Tfrm_zoom &zoom) {
            opened = &zoom;
            EXPECT_EQ(zoom.parent(), &owner);
            EXPECT_TRUE(zoom.isModal());
            c.close(zoom);
            EXPECT_FALSE(zoom.isVisible());
        });
        EXPECT_EQ(opened, nullptr) << "destroyed right after it closed";
        EXPECT_EQ(frm_zoom, nullptr);
        EXPECT_TRUE(owner.findChildren<Tfrm_zoom *>().isEmpty());
        EXPECT_EQ(photo.Bitmap(), picture) << "the catalogue window's photo is left as it was";
    }
}

TEST(ZoomWindow, PhotoAndLinkAreNamedForAssistiveTools)
{
    InstallAccessibleWidgets();
    QWidget owner;
    ImageView photo(&owner);
    photo.setAccessibleDescription("Gamma G, codice C");
    withZoomOpen(owner, photo, [&](Tfrm_zoom &zoom) {
        QAccessibleInterface *picture = QAccessible::queryAccessibleInterface(zoom.ImageZoom);
        EXPECT_EQ(picture->role(), QAccessible::Graphic);
        EXPECT_EQ(picture->text(QAccessible::Name), "Foto della batteria");
        EXPECT_EQ(picture->text(QAccessible::Description), "Gamma G, codice C") << "the chosen battery's";
        QAccessibleInterface *link = QAccessible::queryAccessibleInterface(zoom.ZoomFoto);
        EXPECT_EQ(link->text(QAccessible::Name), "Chiudi");
        EXPECT_TRUE(link->state().focusable);
        zoom.done(0);
    });
}

TEST(ZoomWindow, EveryOpeningStartsAtTheDesignSize)
{
    QWidget owner;
    ImageView photo(&owner);
    withZoomOpen(owner, photo, [](Tfrm_zoom &zoom) {
        zoom.resize(900, 700);
        zoom.ZoomFotoClick();
    });
    withZoomOpen(owner, photo, [](Tfrm_zoom &zoom) {
        EXPECT_EQ(zoom.size(), QSize(531, 456));
        zoom.ZoomFotoClick();
    });
}

TEST(ZoomWindow, NoPhotoGivesAnEmptyWhiteArea)
{
    QWidget owner;
    ImageView photo(&owner);
    withZoomOpen(owner, photo, [](Tfrm_zoom &zoom) {
        EXPECT_TRUE(zoom.ImageZoom->Bitmap().isNull());
        const QImage shot = zoom.ImageZoom->grab().toImage();
        int others = 0;
        for (int y = 0; y < shot.height(); y += 5)
            for (int x = 0; x < shot.width(); x += 5)
                others += shot.pixelColor(x, y) != QColor(Qt::white);
        EXPECT_EQ(others, 0);
        zoom.ZoomFotoClick();
    });
}

// Darkest grey level of the link's pixels: silver letters stay light, grey ones go darker.
int darkestLinkPixel(HyperlinkLabel &link)
{
    const QImage shot = link.parentWidget()->grab(link.geometry()).toImage();
    int darkest = 255;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            darkest = qMin(darkest, qGray(shot.pixel(x, y)));
    return darkest;
}

TEST(ZoomWindow, LinkTurnsGreyUnderTheMouseAndSilverAgainWhenItLeaves)
{
    QWidget owner;
    ImageView photo(&owner);
    withZoomOpen(owner, photo, [](Tfrm_zoom &zoom) {
        HyperlinkLabel &link = *zoom.ZoomFoto;
        EXPECT_EQ(link.Caption(), QStringLiteral("Chiudi"));
        const int leave = darkestLinkPixel(link);
        QEnterEvent enter(QPointF(5, 5), link.mapTo(&zoom, QPointF(5, 5)), link.mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(&link, &enter);
        const int over = darkestLinkPixel(link);
        QEvent leaveEvent(QEvent::Leave);
        QApplication::sendEvent(&link, &leaveEvent);
        const int after = darkestLinkPixel(link);
        EXPECT_GE(leave, 150) << "silver letters";
        EXPECT_LE(over, 145) << "grey letters";
        EXPECT_EQ(after, leave);
        zoom.ZoomFotoClick();
    });
}

} // namespace
