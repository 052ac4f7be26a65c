// The bitmap button: the press / drag / release rules, frame choice and transparency.
#include "widgets/bitmap_button.h"
#include "widgets/design_pictures.h"
#include "widgets/widget_error.h"

#include "tests/common/test_support.h"
#include "tests/widgets/widget_events.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// 33 x 33, white corners and a blue disc with a white dot in the middle.
QImage discGlyph()
{
    QImage g(33, 33, QImage::Format_RGB32);
    g.fill(Qt::white);
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 33; ++x)
            if ((x - 16) * (x - 16) + (y - 16) * (y - 16) <= 14 * 14)
                g.setPixel(x, y, qRgb(0, 0, 200));
    g.setPixel(16, 16, qRgb(255, 255, 255));
    return g;
}

struct ClickCase {
    const char *name;
    std::vector<QPoint> moves; // while pressed at the centre
    bool clicked;
};

TEST(BitmapButton, PressDragRelease)
{
    const ClickCase cases[] = {
        {"press and release", {}, true},
        {"drag off the glyph and release", {{0, 0}}, false},
        {"drag off and back", {{0, 34}, {17, 17}}, true},
        {"drag outside the widget", {{60, 60}}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        BitmapButton b;
        b.resize(35, 35);
        b.setGlyph(discGlyph());
        int clicks = 0;
        QObject::connect(&b, &BitmapButton::clicked, [&] { ++clicks; });
        press(b, {17, 17});
        EXPECT_TRUE(b.Pressed());
        EXPECT_TRUE(b.MouseCaptured());
        for (QPoint p : c.moves)
            moveTo(b, p);
        const QPoint last = c.moves.empty() ? QPoint(17, 17) : c.moves.back();
        release(b, last);
        EXPECT_EQ(clicks, c.clicked ? 1 : 0);
        EXPECT_FALSE(b.Pressed());
        EXPECT_FALSE(b.MouseCaptured());
    }
}

TEST(BitmapButton, PressOutsideTheGlyphOrOnItsColourDoesNothing)
{
    BitmapButton b;
    b.resize(45, 45); // glyph at (6, 6)
    b.setGlyph(discGlyph());
    b.setColor(QColor(0, 0, 200));
    press(b, {2, 2}); // outside the frame
    EXPECT_FALSE(b.Pressed());
    press(b, {14, 22}); // on a pixel of the button's colour
    EXPECT_FALSE(b.Pressed());
    press(b, {6, 6}); // the white corner: not the button's colour, so it counts
    EXPECT_TRUE(b.Pressed());
}

TEST(BitmapButton, TopLeftColourIsNeverDrawn)
{
    BitmapButton b;
    b.resize(35, 35);
    b.setGlyph(discGlyph());
    const QImage out = renderWidget(b, Qt::black);
    int blue = 0;
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            ASSERT_NE(out.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
            blue += out.pixel(x, y) == qRgb(0, 0, 200);
        }
    }
    EXPECT_GT(blue, 500);
    EXPECT_EQ(out.pixel(1, 1), qRgb(0, 0, 0)); // the parent shows through
}

TEST(BitmapButton, OpaqueButtonFillsItsColourAndPressedFrameShifts)
{
    BitmapButton b;
    b.resize(35, 35);
    b.setTransparent(false);
    b.setColor(QColor(10, 20, 30));
    b.setGlyph(discGlyph());
    QImage out = renderWidget(b);
    EXPECT_EQ(out.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(out.pixel(1, 1), qRgb(255, 255, 255)); // glyph corner drawn as is
    EXPECT_EQ(out.pixel(17, 17), qRgb(255, 255, 255));
    press(b, {17, 17});
    out = renderWidget(b);
    EXPECT_EQ(out.pixel(19, 19), qRgb(255, 255, 255)); // the dot moved by HIndent, VIndent
    EXPECT_EQ(out.pixel(17, 17), qRgb(0, 0, 200));
}

TEST(BitmapButton, FrameByStateFallsBackToTheFirst)
{
    BitmapButton b;
    QImage strip(40, 10, QImage::Format_RGB32);
    strip.fill(Qt::black);
    b.setGlyph(strip);
    b.setNumGlyphs(2);
    EXPECT_EQ(b.CurrentFrame(), 0);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&b, &enter);
    EXPECT_EQ(b.CurrentFrame(), 1);
    b.setEnabled(false);
    EXPECT_EQ(b.CurrentFrame(), 0); // disabled is frame 3, not in a 2-frame strip
    b.setNumGlyphs(4);
    EXPECT_EQ(b.CurrentFrame(), 3);
}

TEST(BitmapButton, GlyphFromFileAndItsErrors)
{
    QTemporaryDir dir;
    const QString bmp = dir.filePath(QStringLiteral("bottone.bmp"));
    ASSERT_TRUE(DrawDesignPicture(DesignPicture::ApplicationsBarOn).save(bmp, "BMP"));
    const QString jpg = dir.filePath(QStringLiteral("bottone.jpg"));
    ASSERT_TRUE(DrawDesignPicture(DesignPicture::ApplicationsBarOn).save(jpg, "JPG"));
    BitmapButton b;
    b.setGlyph(discGlyph());
    expectThrowCode<WidgetError>([&] { b.LoadGlyphFile(dir.filePath(QStringLiteral("none.bmp"))); },
                                 WidgetErrc::Picture, "Cannot open file \"");
    expectThrowCode<WidgetError>([&] { b.LoadGlyphFile(jpg); }, WidgetErrc::Picture, "Bitmap image is not valid");
    EXPECT_EQ(b.Glyph().size(), QSize(33, 33));
    b.LoadGlyphFile(bmp);
    EXPECT_EQ(b.Glyph().size(), QSize(125, 40));
}

TEST(BitmapButton, HintShownOnlyWhenAsked)
{
    BitmapButton b;
    b.setHint(QStringLiteral("one\rtwo"));
    EXPECT_TRUE(b.toolTip().isEmpty());
    b.setShowHint(true);
    EXPECT_EQ(b.toolTip(), QStringLiteral("one\ntwo"));
}

} // namespace
