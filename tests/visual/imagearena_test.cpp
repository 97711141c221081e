// Arena pictures are ordinary pictures: same pixels as their source, writable, independent of
// each other, and still made (on the heap) once the arena is full.
#include "visual/imagearena.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

QImage Noise(QSize size, QImage::Format format, unsigned seed)
{
    std::mt19937 random(seed);
    QImage image(size, format);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, random() | 0xFF000000u);
    return image;
}

TEST(ImageArena, CopiesHoldTheSourcePixelsAndStayApart)
{
    // More than the arena holds, in odd sizes, so that later ones come from the heap.
    std::vector<QImage> sources, copies;
    for (unsigned i = 0; i < 12; ++i) {
        sources.push_back(Noise(QSize(301 + int(i), 149 + int(i)), QImage::Format_RGB32, i));
        copies.push_back(ArenaCopy(sources.back()));
    }
    for (size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i], sources[i]) << i;
        copies[i].fill(Qt::red); // writing one copy touches no other
    }
    for (size_t i = 0; i + 1 < copies.size(); ++i)
        EXPECT_EQ(copies[i + 1].pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_NE(sources[0].pixel(0, 0), qRgb(255, 0, 0));
}

TEST(ImageArena, ConvertsToRgb32OrKeepsTheFormat)
{
    const QImage argb = Noise({40, 30}, QImage::Format_ARGB32, 5);
    const QImage converted = ArenaCopy(argb);
    EXPECT_EQ(converted.format(), QImage::Format_RGB32);
    EXPECT_EQ(converted, argb.convertToFormat(QImage::Format_RGB32));
    const QImage kept = ArenaCopy(argb, false);
    EXPECT_EQ(kept.format(), QImage::Format_ARGB32);
    EXPECT_EQ(kept, argb);
    EXPECT_TRUE(ArenaCopy(QImage()).isNull());
    const QImage blank = ArenaImage({7, 3});
    EXPECT_EQ(blank.size(), QSize(7, 3));
    EXPECT_EQ(blank.format(), QImage::Format_RGB32);
}

} // namespace
