// Pictures drawn at twice the resolution (for HiDPI screens) take the place of the
// designed ones without moving anything: the design pictures' sizes, a button's glyph and
// its clicks, the picture control's placing, a grid's fixed background; and the files
// kept at twice the resolution are left alone on a screen that does not want them.
#include "widgets/bitmap_button.h"
#include "widgets/data_grid.h"
#include "widgets/design_pictures.h"
#include "widgets/image_view.h"
#include "widgets/picture_loader.h"

#include "tests/widgets/widget_events.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const DesignPicture kAllPictures[] = {
    DesignPicture::MagnifierGlyph,
    DesignPicture::ExitGlyph,
    DesignPicture::BackGlyph,
    DesignPicture::CloseGlyph,
    DesignPicture::PrintGlyph,
    DesignPicture::ApplicationsBarOff,
    DesignPicture::ApplicationsBarOn,
    DesignPicture::ZoomLinkBackground,
    DesignPicture::VersionGridBackground,
    DesignPicture::BatteryGridBackground,
    DesignPicture::GridMarker,
    DesignPicture::ReplacementBar,
};

// A picture of `size` window pixels at `ratio`: `fill`, with a blue vertical rule one
// window pixel wide at x = `rule`.
QImage ruled(QSize size, int ratio, QColor fill, int rule)
{
    QImage image(size * ratio, QImage::Format_RGB32);
    image.fill(fill);
    for (int y = 0; y < image.height(); ++y)
        for (int x = rule * ratio; x < (rule + 1) * ratio; ++x)
            image.setPixelColor(x, y, QColor(0, 0, 255));
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace

TEST(DoubleResolution, DesignPicturesKeepTheirSizeInWindowPixels)
{
    for (DesignPicture which : kAllPictures) {
        const QImage designed = DrawDesignPicture(which, 1), sharp = DrawDesignPicture(which, 2);
        EXPECT_EQ(sharp.size(), designed.size() * 2) << int(which);
        EXPECT_EQ(sharp.devicePixelRatio(), 2.0) << int(which);
        EXPECT_EQ(sharp.deviceIndependentSize().toSize(), designed.size()) << int(which);
        // The same drawing: the corner colour that pixel transparency leaves out.
        EXPECT_EQ(sharp.pixel(0, 0), designed.pixel(0, 0)) << int(which);
    }
    // Offscreen the screen draws one pixel per window pixel.
    EXPECT_EQ(PictureRatio(), 1);
    EXPECT_EQ(DrawDesignPicture(DesignPicture::GridMarker).size(), QSize(15, 15));
}

TEST(DoubleResolution, ButtonIsPlacedAndClickedAsWithTheDesignedGlyph)
{
    for (int ratio : {1, 2}) {
        BitmapButton button;
        button.resize(35, 35);
        const QImage glyph = DrawDesignPicture(DesignPicture::MagnifierGlyph, ratio);
        button.setGlyph(glyph);
        button.setColor(glyph.pixelColor(0, 0)); // a press on the skin's colour is no click
        int clicks = 0;
        QObject::connect(&button, &BitmapButton::clicked, &button, [&clicks] { ++clicks; });
        // A corner of the 33 x 33 glyph shows the skin: no click there.
        testsupport::press(button, QPoint(2, 2));
        testsupport::release(button, QPoint(2, 2));
        EXPECT_EQ(clicks, 0) << ratio;
        testsupport::press(button, QPoint(17, 17));
        testsupport::release(button, QPoint(17, 17));
        EXPECT_EQ(clicks, 1) << ratio;
        // Drawn in the same place: the disc's blue at the centre, the skin at the corner.
        const QImage shown = testsupport::renderWidget(button);
        EXPECT_GT(shown.pixelColor(6, 17).blue(), 100) << ratio;
        EXPECT_EQ(shown.pixelColor(1, 1), QColor(Qt::magenta)) << ratio;
    }
}

TEST(DoubleResolution, PictureControlPlacesTheWindowSize)
{
    ImageView view;
    view.resize(300, 200);
    view.setBitmapAlign(BitmapAlign::baCenter);
    view.setBitmap(ruled(QSize(100, 50), 2, Qt::white, 30));
    EXPECT_EQ(view.PictureSize(), QSize(100, 50));
    EXPECT_EQ(view.PictureRect(), QRect(100, 75, 100, 50));
    // Shown at the window's resolution the rule lands on its window pixel.
    const QImage shown = testsupport::renderWidget(view);
    EXPECT_EQ(shown.pixelColor(130, 100), QColor(0, 0, 255));
    EXPECT_EQ(shown.pixelColor(128, 100), QColor(Qt::white));
    EXPECT_EQ(shown.pixelColor(90, 100), QColor(Qt::magenta)) << "outside the picture";
}

TEST(DoubleResolution, GridBackgroundCoversWhatTheDesignedOneDoes)
{
    for (int ratio : {1, 2}) {
        DataGrid grid;
        grid.resize(200, 210);
        grid.setBorderStyle(DataGrid::bsNone);
        grid.setColCount(3);
        grid.setRowCount(8);
        grid.setDefaultRowHeight(20);
        grid.setBackGround(ruled(QSize(200, 100), ratio, QColor(10, 20, 30), 120));
        grid.setCurrentRow(7);
        const QImage image = grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(image.pixelColor(120, 10), QColor(0, 0, 255)) << ratio;
        EXPECT_EQ(image.pixelColor(100, 50), QColor(10, 20, 30)) << ratio;
        EXPECT_EQ(image.pixelColor(120, 120), QColor(Qt::white)) << ratio << ": below the picture, the brush";
    }
}

TEST(DoubleResolution, FilesAtTwiceTheResolutionAreLeftAloneWhenNotWanted)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BALL.bmp"));
    ASSERT_TRUE(ruled(QSize(15, 15), 1, Qt::red, 3).save(path, "BMP"));
    ASSERT_TRUE(ruled(QSize(15, 15), 2, Qt::green, 3).save(dir.filePath(QStringLiteral("BALL@2x.bmp")), "BMP"));
    for (const QImage &loaded : {LoadPictureFile(path), LoadBitmapFile(path)}) {
        EXPECT_EQ(loaded.size(), QSize(15, 15));
        EXPECT_EQ(loaded.devicePixelRatio(), 1.0);
        EXPECT_EQ(loaded.pixelColor(0, 0), QColor(Qt::red));
    }
}
