// The photo cache: a photo comes back without a decode only while its file is the same,
// unchanged file; changed, replaced or removed files are read again (and fail as reading
// fails); the photos used longest ago go first.
#include "catalog/window/photo_cache.h"
#include "widgets/picture_loader.h"
#include "widgets/widget_error.h"

#include <QColor>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

namespace {

class PhotoCacheTest : public ::testing::Test {
protected:
    QString photo(const QString &name, QColor colour, QSize size = QSize(40, 30))
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(image.save(path, "JPG", 95));
        return path;
    }
    // Moves the file's modification time, as a copy over it at another moment does.
    static void touch(const QString &path, time_t when)
    {
        const utimbuf times{when, when};
        ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0);
    }

    QTemporaryDir m_dir;
};

TEST_F(PhotoCacheTest, AnUnchangedPhotoIsNotDecodedAgain)
{
    PhotoCache cache;
    const QString a = photo(QStringLiteral("a.JPG"), Qt::red);
    const QString b = photo(QStringLiteral("b.JPG"), Qt::blue);
    const QImage first = cache.load(a).full();
    cache.load(b);
    EXPECT_EQ(cache.load(a).full().cacheKey(), first.cacheKey()); // the very same pixels
    EXPECT_GT(cache.load(a).full().pixelColor(5, 5).red(), 200);
}

TEST_F(PhotoCacheTest, AChangedReplacedOrRemovedPhotoIsReadAgain)
{
    PhotoCache cache;
    const QString a = photo(QStringLiteral("a.JPG"), Qt::red);
    const qint64 first = cache.load(a).full().cacheKey();

    touch(a, 1000000000); // same bytes, another time: read again
    const QImage touched = cache.load(a).full();
    EXPECT_NE(touched.cacheKey(), first);

    photo(QStringLiteral("a.JPG"), Qt::green, QSize(60, 20)); // rewritten
    touch(a, 1000000000);                                     // even at the earlier time
    const QImage rewritten = cache.load(a).full();
    EXPECT_EQ(rewritten.size(), QSize(60, 20));
    EXPECT_GT(rewritten.pixelColor(5, 5).green(), 200);

    ASSERT_TRUE(QFile::remove(a));
    EXPECT_THROW(cache.load(a).full(), WidgetError);

    QFile damaged(a);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("\xFF\xD8 not a picture");
    damaged.close();
    EXPECT_THROW(cache.load(a).full(), WidgetError);
}

TEST_F(PhotoCacheTest, ThePhotoUsedLongestAgoGoesFirst)
{
    PhotoCache cache(2, 1LL << 30);
    const QString a = photo(QStringLiteral("a.JPG"), Qt::red);
    const QString b = photo(QStringLiteral("b.JPG"), Qt::green);
    const QString c = photo(QStringLiteral("c.JPG"), Qt::blue);
    const qint64 keyA = cache.load(a).full().cacheKey();
    const qint64 keyB = cache.load(b).full().cacheKey();
    cache.load(a); // a is now the more recent of the two
    cache.load(c); // b goes
    EXPECT_EQ(cache.load(a).full().cacheKey(), keyA);
    EXPECT_NE(cache.load(b).full().cacheKey(), keyB);

    // A budget smaller than one photo still keeps the photo just read, and only it.
    PhotoCache tight(8, 1);
    const qint64 keyTight = tight.load(a).full().cacheKey();
    EXPECT_EQ(tight.load(a).full().cacheKey(), keyTight);
    tight.load(b);
    EXPECT_NE(tight.load(a).full().cacheKey(), keyTight);
}

} // namespace
