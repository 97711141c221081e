// The star-dust field: ages, positions and greys of 61 stars, each a small filled dot.
#include "starfield.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "blit.h"
#include "rounding.h"

namespace {

constexpr double kPi = 3.1415; // the field's own constant, not the full value of pi
constexpr int kCentreX = 150;
constexpr int kCentreY = 50;

// A filled circle of radius 1: the centre pixel and its four neighbours.
void dot(QImage& frame, const QRect& area, int x, int y, int g)
{
    static constexpr int kOffsets[5][2] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& o : kOffsets) {
        const int px = x + o[0], py = y + o[1];
        if (!area.contains(px, py))
            continue;
        // On a frame for twice the density every pixel the frame pixel covers.
        const int s = PixelScale(frame);
        for (int sy = 0; sy < s; ++sy) {
            QRgb* row = reinterpret_cast<QRgb*>(frame.scanLine(py * s + sy)) + px * s;
            for (int sx = 0; sx < s; ++sx)
                row[sx] = StarLight(row[sx], g);
        }
    }
}

} // namespace

StarField InitStarField(const std::function<double()>& uniform01)
{
    StarField field;
    for (int i = 0; i < kStarCount; ++i) {
        field.StarAngle[i] = uniform01() * 2 * kPi;
        field.StarAge[i] = static_cast<int16_t>(RoundEven(uniform01() * 150));
    }
    return field;
}

StarField InitStarField()
{
    std::mt19937 source; // default seed on purpose: the pattern may repeat between runs
    return InitStarField([&source] { return std::generate_canonical<double, 53>(source); });
}

QRgb StarLight(QRgb under, int g)
{
    auto screen = [g](int c) { return 255 - (255 - c) * (255 - g) / 255; };
    return qRgb(screen(qRed(under)), screen(qGreen(under)), screen(qBlue(under)));
}

void DrawStar(QImage& frame, StarField& stars)
{
    DrawStar(frame, stars, FrameRect(frame));
}

void DrawStar(QImage& frame, StarField& stars, const QRect& area)
{
    StarDots dots;
    StarStep(stars, dots);
    DrawStarDots(frame, dots, area);
}

void StarStep(StarField& stars, StarDots& dots)
{
    for (int i = 0; i < kStarCount; ++i) {
        const int age = stars.StarAge[i] + 1;
        stars.StarAge[i] = static_cast<int16_t>(age);
        const int r = RoundEven(double(age) * age * 0.005);
        if (!stars.cached[i] || stars.cachedAngle[i] != stars.StarAngle[i]) {
            stars.cachedAngle[i] = stars.StarAngle[i];
            stars.cosAngle[i] = std::cos(stars.StarAngle[i]);
            stars.sinAngle[i] = std::sin(stars.StarAngle[i]);
            stars.cached[i] = true;
        }
        const int x = RoundEven(r * stars.cosAngle[i] + kCentreX);
        const int y = RoundEven(r * stars.sinAngle[i] + kCentreY);
        dots[i] = {x, y, std::min(2 * r, 255)};
        if (y < 7 || y > 90 || x < 10 || x > 290)
            stars.StarAge[i] = 0;
    }
}

void DrawStarDots(QImage& frame, const StarDots& dots, const QRect& area)
{
    const QRect clip = area & FrameRect(frame);
    for (const StarDot& d : dots)
        dot(frame, clip, d.x, d.y, d.grey);
}
