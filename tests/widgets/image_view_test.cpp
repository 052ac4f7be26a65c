// The image view: placement arithmetic, drawing offscreen, and loads that fail.
#include "widgets/image_view.h"
#include "widgets/picture_loader.h"
#include "widgets/widget_error.h"

#include "tests/common/test_support.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    const char *name;
    QSize view, picture;
    BitmapAlign align;
    ScaleMode mode;
    QRect expected;
};

const PlacementCase kPlacements[] = {
    {"photo box, wide photo reduced",
     {241, 151},
     {2410, 1000},
     BitmapAlign::baCenter,
     ScaleMode::smOptimalScaled,
     {0, 25, 241, 100}},
    {"photo box, square photo reduced",
     {241, 151},
     {1000, 1000},
     BitmapAlign::baCenter,
     ScaleMode::smOptimalScaled,
     {45, 0, 151, 151}},
    {"photo box, small photo at own size",
     {241, 151},
     {100, 50},
     BitmapAlign::baCenter,
     ScaleMode::smOptimalScaled,
     {70, 50, 100, 50}},
    {"zoom, wide photo reduced",
     {531, 426},
     {2410, 1000},
     BitmapAlign::baCenter,
     ScaleMode::smResize,
     {0, 103, 531, 220}},
    {"zoom, small photo enlarged",
     {531, 426},
     {100, 60},
     BitmapAlign::baCenter,
     ScaleMode::smResize,
     {0, 53, 531, 319}},
    {"skin at own size top left",
     {1021, 767},
     {1021, 767},
     BitmapAlign::baTopLeft,
     ScaleMode::smNormal,
     {0, 0, 1021, 767}},
    {"larger than the view, centred, cut both sides",
     {100, 100},
     {141, 121},
     BitmapAlign::baCenter,
     ScaleMode::smNormal,
     {-20, -10, 141, 121}},
    {"tall photo fills the height",
     {200, 100},
     {50, 100},
     BitmapAlign::baCenter,
     ScaleMode::smResize,
     {75, 0, 50, 100}},
    {"empty view draws nothing", {0, 151}, {100, 50}, BitmapAlign::baCenter, ScaleMode::smResize, {}},
    {"empty picture draws nothing", {241, 151}, {0, 0}, BitmapAlign::baCenter, ScaleMode::smResize, {}},
    {"size below one pixel is nothing", {241, 1}, {2000, 1}, BitmapAlign::baCenter, ScaleMode::smResize, {}},
};

TEST(ImageViewPlacement, Cases)
{
    for (const auto &c : kPlacements) {
        EXPECT_EQ(PlacePicture(c.view, c.picture, c.align, c.mode, 1.0), c.expected) << c.name;
    }
}

QImage solid(QSize s, QColor c)
{
    QImage img(s, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

QImage render(QWidget &w)
{
    QImage out(w.size(), QImage::Format_RGB32);
    out.fill(Qt::magenta);
    w.render(&out);
    return out;
}

TEST(ImageViewDrawing, PhotoBoxLeavesTheRestWhite)
{
    ImageView v;
    v.resize(241, 151);
    v.setBitmapAlign(BitmapAlign::baCenter);
    v.setScaleMode(ScaleMode::smOptimalScaled);
    v.setResampler(Resampler::Linear);
    v.setColor(Qt::white);
    v.setBitmap(solid({2410, 1000}, Qt::blue));
    const QImage out = render(v);
    EXPECT_EQ(out.pixel(120, 24), qRgb(255, 255, 255));  // above the photo
    EXPECT_EQ(out.pixel(120, 25), qRgb(0, 0, 255));      // first photo row
    EXPECT_EQ(out.pixel(0, 124), qRgb(0, 0, 255));       // last photo row
    EXPECT_EQ(out.pixel(240, 125), qRgb(255, 255, 255)); // below it
}

TEST(ImageViewDrawing, ChildrenDrawOverThePicture)
{
    ImageView v;
    v.resize(50, 50);
    v.setBitmap(solid({50, 50}, Qt::green));
    QWidget child(&v);
    child.setGeometry(10, 10, 5, 5);
    child.setAutoFillBackground(true);
    QPalette pal;
    pal.setColor(QPalette::Window, Qt::red);
    child.setPalette(pal);
    const QImage out = render(v);
    EXPECT_EQ(out.pixel(12, 12), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(30, 30), qRgb(0, 255, 0));
}

TEST(ImageViewDrawing, CopyTakesSizePixelsAndResampler)
{
    ImageView a, b;
    QImage img = solid({3, 2}, Qt::yellow);
    img.setPixel(2, 1, qRgb(1, 2, 3));
    a.setBitmap(img);
    a.setResampler(Resampler::Linear);
    b.AssignBitmap(a);
    EXPECT_EQ(b.Bitmap().size(), QSize(3, 2));
    EXPECT_EQ(b.Bitmap().pixel(2, 1), qRgb(1, 2, 3));
    EXPECT_EQ(b.resampler(), Resampler::Linear);
}

class PictureFiles : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QString writeImage(const QString &name, const QImage &img, const char *format)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(img.save(path, format));
        return path;
    }
    QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QTemporaryDir dir;
};

TEST_F(PictureFiles, JpegWithUpperCaseExtensionLoadsAtFullSize)
{
    QImage img = solid({64, 48}, QColor(200, 30, 40));
    const QString path = writeImage(QStringLiteral("photo.JPG"), img, "JPG");
    const QImage got = LoadPictureFile(path);
    ASSERT_EQ(got.size(), QSize(64, 48));
    EXPECT_EQ(got.format(), QImage::Format_RGB32);
    EXPECT_NEAR(qRed(got.pixel(30, 20)), 200, 6);
    EXPECT_NEAR(qGreen(got.pixel(30, 20)), 30, 6);
}

TEST_F(PictureFiles, BackslashesAndFileUrlAndCase)
{
    writeImage(QStringLiteral("BALL.bmp"), solid({15, 15}, Qt::blue), "BMP");
    const QString url = QStringLiteral("file://") + dir.path() + QStringLiteral("\\ball.BMP");
    EXPECT_EQ(LoadPictureFile(url).size(), QSize(15, 15));
}

TEST_F(PictureFiles, FailuresKeepThePreviousPicture)
{
    const QString good = writeImage(QStringLiteral("good.bmp"), solid({7, 5}, Qt::red), "BMP");
    const QByteArray jpeg = [&] {
        const QString p = writeImage(QStringLiteral("source.jpg"), solid({80, 60}, Qt::gray), "JPG");
        return bytesOf(p);
    }();
    QByteArray corrupted = jpeg;
    for (int i = 20; i < corrupted.size() - 2; i += 7)
        corrupted[i] = char(0xff - corrupted[i]);
    // Headers that declare pictures of many gigabytes (found by the picture fuzzer): the
    // load must refuse them, not try to take the memory.
    QByteArray hugeJpeg = jpeg;
    const qsizetype sof = hugeJpeg.indexOf(QByteArray("\xff\xc0", 2));
    hugeJpeg[sof + 5] = char(0xea); // height 60000
    hugeJpeg[sof + 6] = char(0x60);
    hugeJpeg[sof + 7] = char(0xea); // width 60000
    hugeJpeg[sof + 8] = char(0x60);
    QByteArray bmp = bytesOf(good);
    QByteArray hugeBmp = bmp;
    hugeBmp[21] = char(0x40); // width 2^30 and more

    QByteArray damagedBmp = bmp.left(20);
    const QString missing = dir.filePath(QStringLiteral("nothing.jpg"));
    struct Case {
        const char *name;
        QString path;
        std::string message;
    } cases[] = {
        {"missing file", missing, "Cannot open file \"" + missing.toStdString() + "\". No such file or directory"},
        {"unknown extension", write(QStringLiteral("photo.png"), bmp), "Unknown picture file extension (.png)"},
        {"damaged bitmap", write(QStringLiteral("bad.bmp"), damagedBmp), "Bitmap image is not valid"},
        {"JPEG declaring 60000 x 60000", write(QStringLiteral("huge.jpg"), hugeJpeg),
         "Picture too large to show (60000 x 60000 pixels)"},
        {"bitmap declaring a billion columns", write(QStringLiteral("huge.bmp"), hugeBmp), "Bitmap image is not valid"},
        {"bitmap cut in half", write(QStringLiteral("half.bmp"), bmp.left(bmp.size() / 2)),
         "Bitmap image is not valid"},
        {"not a bitmap at all", write(QStringLiteral("text.bmp"), "hello"), "Bitmap image is not valid"},
        {"truncated JPEG", write(QStringLiteral("short.jpg"), jpeg.left(jpeg.size() / 2)), "JPEG error #"},
        {"corrupted JPEG", write(QStringLiteral("noise.jpeg"), corrupted), "JPEG error #"},
        {"not a JPEG", write(QStringLiteral("text.jpg"), "not a picture"), "JPEG error #"},
        {"metafile", write(QStringLiteral("logo.emf"), "x"), "cannot be shown"},
    };
    ImageView v;
    v.LoadPictureFile(good);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::expectThrowCode<WidgetError>([&] { v.LoadPictureFile(c.path); }, WidgetErrc::Picture, c.message);
        EXPECT_EQ(v.Bitmap().size(), QSize(7, 5));
        EXPECT_EQ(v.Bitmap().pixel(3, 3), qRgb(255, 0, 0));
    }
}

TEST_F(PictureFiles, JpegErrorNumberIsTheDecodersMessageCode)
{
    // Not a JPEG: libjpeg stops at the missing start-of-image marker.
    const QString path = write(QStringLiteral("x.jpg"), QByteArray(64, 'x'));
    try {
        LoadPictureFile(path);
        FAIL() << "expected an error";
    } catch (const WidgetError &e) {
        const std::string text = e.what();
        ASSERT_EQ(text.rfind("JPEG error #", 0), 0u) << text;
        EXPECT_GT(std::stoi(text.substr(12)), 0);
    }
}

} // namespace
