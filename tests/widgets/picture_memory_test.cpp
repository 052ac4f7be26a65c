// The pixel blocks kept between decoded pictures: given again only once every copy of a
// picture is gone, given to the next picture they fit, and kept within their limits;
// and the photos the loader decodes take them.
#include "widgets/picture_loader.h"
#include "widgets/picture_memory_p.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Whether this C library resizes a block in its place. AddressSanitizer's allocator moves
// every block it resizes, so there a kept block's reuse cannot show in its address; the
// counts of kept blocks still show it.
bool resizedBlocksKeepTheirPlace()
{
    static const bool inPlace = [] {
        void *block = std::malloc(4 << 20);
        void *same = std::realloc(block, 4 << 20);
        void *smaller = same ? std::realloc(same, 2 << 20) : nullptr;
        const bool kept = block == same && same == smaller;
        std::free(smaller ? smaller : same);
        return kept;
    }();
    return inPlace;
}

// The pixels of `image` are those of the block `pixels` was, where the address can tell.
#define EXPECT_SAME_BLOCK(image, pixels)                                                       \
    do {                                                                                       \
        if (resizedBlocksKeepTheirPlace()) {                                                   \
            EXPECT_EQ((image).constBits(), (pixels));                                          \
        }                                                                                      \
    } while (false)

// Every test starts with nothing kept and the limits as given, and leaves the default ones.
class PictureMemory : public ::testing::Test {
protected:
    void SetUp() override
    {
        keep({0, 0});
        keep(kLimits);
    }
    void TearDown() override { keep(m_defaults); }
    void keep(const picture_memory::Limits &limits)
    {
        const picture_memory::Limits before = picture_memory::setLimits(limits);
        if (!m_saved) {
            m_defaults = before;
            m_saved = true;
        }
    }

    static constexpr picture_memory::Limits kLimits{3, 64 * 1024 * 1024};

    // A picture whose pixels take `mb` megabytes, each pixel written with `value`.
    static QImage picture(int mb, QRgb value)
    {
        QImage image = picture_memory::newImage(QSize(512, mb * 512), QImage::Format_RGB32);
        image.fill(value);
        return image;
    }

private:
    picture_memory::Limits m_defaults;
    bool m_saved = false;
};

TEST_F(PictureMemory, ABlockGoesToTheNextPictureItFitsOnlyOnceEveryCopyIsGone)
{
    QImage first = picture(2, 0xff112233);
    const uchar *pixels = first.constBits();
    QImage copy = first;
    first = QImage();
    EXPECT_EQ(picture_memory::keptBlocks(), 0) << "a copy still shows the pixels";
    const QImage whileCopied = picture(2, 0xff445566);
    EXPECT_NE(whileCopied.constBits(), pixels);
    EXPECT_EQ(copy.pixel(10, 10), 0xff112233u);

    copy = QImage();
    ASSERT_EQ(picture_memory::keptBlocks(), 1);
    const QImage smaller = picture(1, 0xff778899);
    EXPECT_SAME_BLOCK(smaller, pixels); // the kept block fits a smaller picture
    EXPECT_EQ(smaller.pixel(511, 511), 0xff778899u);
    EXPECT_EQ(picture_memory::keptBlocks(), 0);
}

TEST_F(PictureMemory, ThePictureAskingGetsTheSmallestBlockThatHoldsItElseTheLargest)
{
    std::vector<QImage> held{picture(1, 0), picture(4, 0), picture(2, 0)};
    const uchar *twoMb = held[2].constBits();
    held.clear();
    ASSERT_EQ(picture_memory::keptBlocks(), 3);
    const QImage next = picture(2, 0);
    EXPECT_SAME_BLOCK(next, twoMb);
    EXPECT_EQ(picture_memory::keptBytes(), qsizetype(5) << 20);
    const QImage larger = picture(5, 0xff123456);
    EXPECT_EQ(larger.pixel(511, 5 * 512 - 1), 0xff123456u) << "the block grown to the picture's size";
    EXPECT_EQ(picture_memory::keptBytes(), qsizetype(1) << 20) << "the 4 MB block taken, the 1 MB one left";
}

TEST_F(PictureMemory, ABlockLentToASmallerPictureIsMadeItsSize)
{
    {
        const QImage large = picture(4, 0);
    }
    {
        const QImage small = picture(1, 0xff00ff00);
        EXPECT_EQ(small.pixel(3, 3), 0xff00ff00u);
    }
    EXPECT_EQ(picture_memory::keptBytes(), qsizetype(1) << 20);
}

TEST_F(PictureMemory, WhatIsKeptStaysWithinTheLimitsTheOldestGoingFirst)
{
    keep({2, 7 * 1024 * 1024});
    {
        std::vector<QImage> held{picture(1, 0), picture(4, 0), picture(2, 0), picture(3, 0)};
        for (QImage &image : held) // given back in this order
            image = QImage();
    }
    EXPECT_EQ(picture_memory::keptBlocks(), 2);
    EXPECT_EQ(picture_memory::keptBytes(), qsizetype(5) << 20) << "the 2 and 3 MB blocks, given back last";
    {
        const QImage tooLarge = picture(8, 0);
    }
    EXPECT_EQ(picture_memory::keptBytes(), qsizetype(2) << 20)
        << "the 8 MB picture grew the 3 MB block, which went beyond the limit";
    {
        const std::vector<QImage> held{picture(2, 0), picture(3, 0)};
    }
    keep({1, 64 * 1024 * 1024});
    EXPECT_EQ(picture_memory::keptBlocks(), 1);
}

TEST_F(PictureMemory, SmallPicturesAndOddSizesAreOrdinaryImages)
{
    {
        const QImage icon = picture_memory::newImage(QSize(100, 100), QImage::Format_RGB32);
        EXPECT_EQ(icon.size(), QSize(100, 100));
    }
    EXPECT_EQ(picture_memory::keptBlocks(), 0);
    const QImage odd = picture_memory::newImage(QSize(333, 777), QImage::Format_RGB888);
    EXPECT_EQ(odd.bytesPerLine(), QImage(333, 777, QImage::Format_RGB888).bytesPerLine());
    EXPECT_TRUE(picture_memory::newImage(QSize(0, 10), QImage::Format_RGB32).isNull());
}

TEST_F(PictureMemory, PhotosDecodedOneAfterAnotherWriteOverTheSameBlock)
{
    QTemporaryDir dir;
    QImage source(800, 600, QImage::Format_RGB32);
    source.fill(QColor(10, 200, 30));
    const QString path = dir.filePath(QStringLiteral("photo.JPG"));
    ASSERT_TRUE(source.save(path, "JPG", 95));

    QImage shown = LoadPictureFile(path);
    const uchar *pixels = shown.constBits();
    shown = QImage();
    ASSERT_EQ(picture_memory::keptBlocks(), 1) << "the photo's pixels are kept once it is gone";
    const QImage again = LoadPictureFile(path);
    EXPECT_EQ(picture_memory::keptBlocks(), 0);
    EXPECT_SAME_BLOCK(again, pixels);
    ASSERT_EQ(again.size(), QSize(800, 600));
    EXPECT_NEAR(qGreen(again.pixel(400, 300)), 200, 6);
    EXPECT_EQ(again.format(), QImage::Format_RGB32);
}

} // namespace
