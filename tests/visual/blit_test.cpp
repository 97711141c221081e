// The raster operations: exact bit results for every byte combination, the masked copy's
// three cases, and clipping at the edges of both pictures.
#include <gtest/gtest.h>

#include <QImage>

#include <random>

#include "visual/blit.h"

namespace {

QImage filled(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class RasterOps : public ::testing::Test {
protected:
    // Every pair of byte values, once per channel position: src byte = x, dst byte = y.
    void SetUp() override
    {
        src = QImage(256, 256, QImage::Format_RGB32);
        dst = QImage(256, 256, QImage::Format_RGB32);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                src.setPixel(x, y, qRgb(x, 255 - x, (x * 7) & 255));
                dst.setPixel(x, y, qRgb(y, (y * 13) & 255, 255 - y));
            }
    }
    QImage src, dst;
};

TEST_F(RasterOps, CopyTakesTheSource)
{
    QImage out = dst;
    CopyRect(out, {0, 0}, src, src.rect());
    EXPECT_EQ(out, src);
}

TEST_F(RasterOps, EraseIsSourceAndNotDestinationForEveryByte)
{
    QImage out = dst;
    EraseRect(out, {0, 0}, src, src.rect());
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const QRgb s = src.pixel(x, y), d = dst.pixel(x, y);
            ASSERT_EQ(out.pixel(x, y), (s & ~d & 0xFFFFFFu) | 0xFF000000u) << x << "," << y;
        }
}

TEST_F(RasterOps, InvertIsSourceXorDestinationForEveryByte)
{
    QImage out = dst;
    InvertRect(out, {0, 0}, src, src.rect());
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const QRgb s = src.pixel(x, y), d = dst.pixel(x, y);
            ASSERT_EQ(out.pixel(x, y), ((s ^ d) & 0xFFFFFFu) | 0xFF000000u) << x << "," << y;
        }
}

TEST_F(RasterOps, ResultsStayOpaque)
{
    QImage out = dst;
    EraseRect(out, {0, 0}, src, src.rect());
    InvertRect(out, {0, 0}, src, src.rect());
    for (int y = 0; y < 256; y += 17)
        for (int x = 0; x < 256; x += 3)
            ASSERT_EQ(qAlpha(out.pixel(x, y)), 255);
}

// Mask black: the image shows. Mask white and image white: the frame is kept. Any frame colour.
TEST(MaskedCopy, ShowsImageWhereMaskIsBlackAndKeepsFrameWhereBothAreWhite)
{
    std::mt19937 random(3);
    QImage sheet(64, 2, QImage::Format_RGB32); // row 0 mask, row 1 image
    QImage frame(64, 1, QImage::Format_RGB32);
    std::vector<QRgb> before(64);
    for (int x = 0; x < 64; ++x) {
        const bool opaque = x % 2 == 0;
        sheet.setPixel(x, 0, opaque ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        sheet.setPixel(x, 1, opaque ? (random() | 0xFF000000u) : qRgb(255, 255, 255));
        before[x] = random() | 0xFF000000u;
        frame.setPixel(x, 0, before[x]);
    }
    MaskedCopy(frame, {0, 0}, sheet, {0, 0}, {0, 1}, {64, 1});
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(frame.pixel(x, 0), x % 2 == 0 ? sheet.pixel(x, 1) : before[x]) << x;
}

TEST(MaskedCopy, TakesImageFromASecondPicture)
{
    QImage mask = filled({4, 4}, qRgb(0, 0, 0));
    QImage image = filled({4, 4}, qRgb(10, 200, 30));
    QImage frame = filled({4, 4}, qRgb(99, 99, 99));
    MaskedCopy(frame, {0, 0}, mask, {0, 0}, image, {0, 0}, {4, 4});
    EXPECT_EQ(frame, image);
}

// The one-pass masked copy gives what its two raster operations give, clipped or not.
TEST(MaskedCopy, EqualsEraseThenInvertAtEveryPlacement)
{
    std::mt19937 random(11);
    auto noise = [&](QSize size) {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, random() | 0xFF000000u);
        return image;
    };
    const QImage sheet = noise({40, 30});
    const QImage lit = noise({25, 12});
    const QImage start = noise({32, 24});
    const QSize size(12, 9);
    const QPoint targets[] = {{3, 4}, {-5, -2}, {26, 20}, {-20, 5}, {40, 0}};
    const QPoint masks[] = {{0, 0}, {33, 25}, {-3, 2}};
    const QPoint images[] = {{12, 0}, {20, 8}, {0, -4}};
    for (QPoint to : targets) {
        for (QPoint maskAt : masks) {
            for (QPoint imageAt : images) {
                for (const QImage* imageSrc : {&sheet, &lit}) {
                    QImage expected = start, actual = start;
                    EraseRect(expected, to, sheet, QRect(maskAt, size));
                    InvertRect(expected, to, *imageSrc, QRect(imageAt, size));
                    MaskedCopy(actual, to, sheet, maskAt, *imageSrc, imageAt, size);
                    EXPECT_EQ(actual, expected) << to.x() << "," << to.y() << " mask "
                                                << maskAt.x() << "," << maskAt.y() << " image "
                                                << imageAt.x() << "," << imageAt.y();
                }
            }
        }
    }
}

class Clipping : public ::testing::Test {
protected:
    QImage frame = filled({10, 10}, qRgb(1, 2, 3));
    QImage sprite = filled({6, 6}, qRgb(250, 0, 0));
};

TEST_F(Clipping, DestinationBeyondTheTopLeftDropsTheCoveredPart)
{
    CopyRect(frame, {-2, -3}, sprite, QRect(0, 0, 5, 5));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(frame.pixel(x, y) == qRgb(250, 0, 0), x < 3 && y < 2) << x << "," << y;
}

TEST_F(Clipping, SourceAboveTheSheetCopiesOnlyItsInsidePart)
{
    // Like a spectrum bar taller than its strip: rows above the sheet are not copied.
    CopyRect(frame, {4, 0}, sprite, QRect(0, -4, 1, 10));
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(frame.pixel(4, y) == qRgb(250, 0, 0), y >= 4) << y;
    EXPECT_EQ(frame.pixel(5, 5), qRgb(1, 2, 3));
}

TEST_F(Clipping, RectanglesEntirelyOutsideChangeNothing)
{
    const QImage before = frame;
    CopyRect(frame, {12, 0}, sprite, QRect(0, 0, 3, 3));
    CopyRect(frame, {0, 0}, sprite, QRect(7, 0, 3, 3));
    CopyRect(frame, {0, -9}, sprite, QRect(0, 0, 6, 6));
    CopyRect(frame, {0, 0}, sprite, QRect(0, 0, 0, 5));
    EXPECT_EQ(frame, before);
}

TEST_F(Clipping, DestinationBeyondTheBottomRightStopsAtTheEdge)
{
    CopyRect(frame, {8, 7}, sprite, QRect(0, 0, 6, 6));
    int changed = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            changed += frame.pixel(x, y) == qRgb(250, 0, 0);
    EXPECT_EQ(changed, 2 * 3);
}

} // namespace
