// The pieces sent for a new frame: every change covered, scattered changes kept apart.
#include "player/framediff.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QImage Noise(std::mt19937& random)
{
    QImage image(300, 150, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random() | 0xFF000000u);
    return image;
}

// Every pixel that differs lies in one of the rectangles.
void ExpectCovered(const QImage& a, const QImage& b, const std::vector<QRect>& rects)
{
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) == b.pixel(x, y))
                continue;
            const bool covered = std::any_of(rects.begin(), rects.end(),
                                             [&](const QRect& r) { return r.contains(x, y); });
            ASSERT_TRUE(covered) << "pixel " << x << "," << y << " changed but is not sent";
        }
    }
}

long long Area(const std::vector<QRect>& rects)
{
    long long area = 0;
    for (const QRect& r : rects)
        area += static_cast<long long>(r.width()) * r.height();
    return area;
}

TEST(ChangedRects, NothingForTheSameFrameAndATightBoxForOneChange)
{
    std::mt19937 random(1);
    const QImage shown = Noise(random);
    EXPECT_TRUE(ChangedRects(shown, shown, {shown.rect()}).empty());
    QImage frame = shown;
    frame.setPixel(299, 149, ~frame.pixel(299, 149));
    frame.setPixel(297, 148, ~frame.pixel(297, 148));
    const auto rects = ChangedRects(frame, shown, {frame.rect()});
    ASSERT_EQ(rects.size(), 1u);
    ExpectCovered(frame, shown, rects);
    EXPECT_EQ(rects[0], QRect(297, 148, 3, 2));
}

TEST(ChangedRects, ScatteredDotsTravelAsSmallPiecesThatCoverThemAll)
{
    std::mt19937 random(2);
    const QImage shown = Noise(random);
    QImage frame = shown;
    // Sixty 3 x 3 dots over the display, as the star field moves them.
    for (int i = 0; i < 60; ++i) {
        const int cx = 10 + static_cast<int>(random() % 280), cy = 7 + static_cast<int>(random() % 84);
        for (int y = cy - 1; y <= cy + 1; ++y)
            for (int x = cx - 1; x <= cx + 1; ++x)
                frame.setPixel(x, y, qRgb(x & 255, y & 255, i));
    }
    const auto rects = ChangedRects(frame, shown, {frame.rect()});
    ExpectCovered(frame, shown, rects);
    const QRect box = BoundingRect(rects);
    EXPECT_LT(Area(rects) * 4, static_cast<long long>(box.width()) * box.height())
        << rects.size() << " pieces";
}

TEST(ChangedRects, RandomChangesAreAlwaysCovered)
{
    std::mt19937 random(3);
    const QImage shown = Noise(random);
    for (int round = 0; round < 40; ++round) {
        QImage frame = shown;
        const int changes = 1 + static_cast<int>(random() % 400);
        // Each change also named as a small candidate box around it, as the main frame names
        // the stars it moved.
        std::vector<QRect> candidates;
        for (int i = 0; i < changes; ++i) {
            const int x = static_cast<int>(random() % 300), y = static_cast<int>(random() % 150);
            frame.setPixel(x, y, ~frame.pixel(x, y));
            candidates.push_back(QRect(x - 1, y - 1, 3, 3));
        }
        for (const auto& rects :
             {ChangedRects(frame, shown, {frame.rect()}, 8, 96),
              ChangedRects(frame, shown, candidates, 8, 96)}) {
            ExpectCovered(frame, shown, rects);
            EXPECT_LE(rects.size(), 96u);
            for (const QRect& r : rects)
                EXPECT_TRUE(frame.rect().contains(r));
        }
    }
}

TEST(ChangedRects, TooManyPiecesBecomeOneBoxThatStillCoversTheRest)
{
    std::mt19937 random(4);
    const QImage shown = Noise(random);
    QImage frame = shown;
    // A grid of far-apart single pixels, then a change near the bottom right.
    for (int y = 0; y < 100; y += 10)
        for (int x = 0; x < 300; x += 20)
            frame.setPixel(x, y, ~frame.pixel(x, y));
    frame.setPixel(290, 140, ~frame.pixel(290, 140));
    const auto rects = ChangedRects(frame, shown, {frame.rect()}, 8, 16);
    ASSERT_EQ(rects.size(), 1u);
    ExpectCovered(frame, shown, rects);
}

} // namespace
