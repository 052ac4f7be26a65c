// Photos shown small are decoded at a reduced scale: the scale chosen covers what is
// drawn, the view draws the same photo as from the full decode, the full resolution comes
// back exactly when asked for (the zoom, a larger view), and damaged files fail the same.
#include "widgets/image_view.h"
#include "widgets/jpeg_decode_p.h"
#include "widgets/picture_loader.h"
#include "widgets/widget_error.h"

#include "tests/common/test_support.h"
#include "tests/widgets/widget_events.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

TEST(ReducedScale, CoversThePictureFittedInsideTheBox)
{
    const struct {
        const char *name;
        QSize picture, box;
        int denom;
    } cases[] = {
        {"square photo in the photo box", {1000, 1000}, {241, 151}, 4},
        {"wide photo in the photo box", {2410, 1000}, {241, 151}, 8},
        {"an eighth is one pixel short of the fit", {1207, 1207}, {151, 151}, 4},
        {"square photo in the zoom", {1000, 1000}, {531, 426}, 2},
        {"photo smaller than the box", {100, 50}, {241, 151}, 1},
        {"no box: drawn at any size", {1000, 1000}, {}, 1},
        {"box of twice the window's pixels", {1000, 1000}, {482, 302}, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const int denom = jpeg_decode::reducedScale(c.picture, c.box);
        EXPECT_EQ(denom, c.denom);
        // What a view fitting the picture draws is never larger than what was decoded
        // reduced (an enlarged small photo is drawn from the whole one).
        if (denom > 1) {
            const QRect drawn = PlacePicture(c.box, c.picture, BitmapAlign::baCenter, ScaleMode::smResize, 1.0);
            EXPECT_GE((c.picture.width() + denom - 1) / denom, drawn.width());
            EXPECT_GE((c.picture.height() + denom - 1) / denom, drawn.height());
        }
    }
}

// A photo with detail everywhere: diagonal bands of colour and a fine check.
QImage detailed(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           qRgb((x + y) % 256, (3 * x) % 256, ((x / 8 + y / 8) % 2) ? 220 : 30));
    return image;
}

class ReducedPhotos : public ::testing::Test {
protected:
    QString photo(const QString &name, QSize size)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(detailed(size).save(path, "JPG", 90));
        return path;
    }
    static ImageView *photoBox(QWidget &owner)
    {
        auto *view = new ImageView(&owner);
        view->resize(241, 151);
        view->setBitmapAlign(BitmapAlign::baCenter);
        view->setScaleMode(ScaleMode::smOptimalScaled);
        view->setResampler(Resampler::Linear);
        view->setColor(Qt::white);
        return view;
    }
    QTemporaryDir m_dir;
};

TEST_F(ReducedPhotos, APhotoBoxDrawsTheSamePhotoFromAQuarterOfItsPixels)
{
    const QString path = photo(QStringLiteral("photo.JPG"), {1000, 800});
    const Picture picture = LoadPicture(path, QSize(241, 151));
    ASSERT_TRUE(picture.isReduced());
    EXPECT_EQ(picture.windowSize(), QSize(1000, 800));

    QWidget owner;
    ImageView *reduced = photoBox(owner), *whole = photoBox(owner);
    reduced->LoadPictureFile(path);
    whole->setBitmap(LoadPictureFile(path));
    EXPECT_EQ(reduced->PictureRect(), whole->PictureRect());
    EXPECT_EQ(reduced->PictureRect(), QRect(26, 0, 189, 151));
    const QImage a = testsupport::renderWidget(*reduced), b = testsupport::renderWidget(*whole);
    ASSERT_EQ(a.size(), b.size());
    qint64 difference = 0, largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
            difference += d;
            largest = std::max<qint64>(largest, d);
        }
    // Resampled from another starting point: close, not equal, and nowhere far off.
    EXPECT_LT(double(difference) / (a.width() * a.height()), 6.0);
    EXPECT_LT(largest, 120);
    EXPECT_EQ(a.pixel(10, 75), qRgb(255, 255, 255)) << "the margin stays white";
}

TEST_F(ReducedPhotos, TheFullResolutionIsTheWholeDecodeWhenAskedFor)
{
    const QString path = photo(QStringLiteral("photo.jpeg"), {1000, 800});
    const QImage whole = LoadPictureFile(path);
    QWidget owner;
    ImageView *box = photoBox(owner);
    box->LoadPictureFile(path);
    EXPECT_EQ(box->PictureSize(), QSize(1000, 800));
    // The zoom window's copy, and Bitmap, give the full picture, pixel for pixel.
    ImageView zoom;
    zoom.resize(531, 426);
    zoom.setScaleMode(ScaleMode::smResize);
    zoom.AssignBitmap(*box);
    EXPECT_EQ(zoom.Bitmap(), whole);
    EXPECT_EQ(box->Bitmap(), whole) << "shared with the copy";

    // A view larger than the reduced pixels draws from the full picture.
    const Picture picture = LoadPicture(path, QSize(241, 151));
    EXPECT_EQ(picture.pixelsFor(QSize(189, 151)).size(), QSize(250, 200));
    EXPECT_EQ(picture.pixelsFor(QSize(500, 400)), whole);
    EXPECT_GT(picture.sizeInBytes(), whole.sizeInBytes()) << "both kept once decoded";

    // Small photos and other formats are held whole.
    EXPECT_FALSE(LoadPicture(photo(QStringLiteral("small.jpg"), {200, 100}), QSize(241, 151)).isReduced());
    const QString bitmap = m_dir.filePath(QStringLiteral("big.bmp"));
    ASSERT_TRUE(detailed({1000, 800}).save(bitmap, "BMP"));
    EXPECT_FALSE(LoadPicture(bitmap, QSize(241, 151)).isReduced());
}

TEST_F(ReducedPhotos, DamagedFilesFailAsAWholeDecodeDoes)
{
    QFile source(photo(QStringLiteral("source.jpg"), {1000, 800}));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray jpeg = source.readAll();
    QByteArray corrupted = jpeg;
    for (qsizetype i = jpeg.size() / 3; i < jpeg.size() - 2; i += 11)
        corrupted[i] = char(0xff - corrupted[i]);
    for (const QByteArray &bytes : {jpeg.left(jpeg.size() / 2), corrupted}) {
        const QString path = m_dir.filePath(QStringLiteral("damaged.jpg"));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();
        std::string whole, reduced;
        try {
            LoadPictureFile(path);
        } catch (const WidgetError &e) {
            whole = e.what();
        }
        try {
            LoadPicture(path, QSize(241, 151));
        } catch (const WidgetError &e) {
            reduced = e.what();
        }
        EXPECT_EQ(whole.rfind("JPEG error #", 0), 0u) << whole;
        EXPECT_EQ(reduced, whole);
    }
}

} // namespace
