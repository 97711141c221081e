// Oscilloscope traces drawn as one-pixel polylines straight into the frame.
#include "oscilloscope.h"

#include <array>
#include <cstdint>
#include <cstdlib>

#include "blit.h"
#include "engine/engine.h"
#include "rounding.h"

namespace {

constexpr int kTraceX = 90;

double traceX(int index)
{
    return index / 255.0 * 120.0 + kTraceX;
}

// A frame pixel; on a frame for twice the density the square of pixels it covers.
void setPixel(QImage& frame, const QRect& clip, int x, int y, QRgb colour)
{
    if (clip.contains(x, y))
        FillFramePixel(frame, x, y, colour);
}

// One polyline through the sampled indices: a pixel for the first point, then lines.
template <typename Value>
void polyline(QImage& frame, const QRect& clip, int step, QRgb colour, Value value)
{
    int prevX = kTraceX;
    int prevY = 50 - value(0);
    setPixel(frame, clip, prevX, prevY, colour);
    for (int i = step; i < 256; i += step) {
        const int x = RoundEven(traceX(i));
        const int y = Clamp16(int64_t(50) - value(i));
        DrawLine(frame, clip, prevX, prevY, x, y, colour);
        prevX = x;
        prevY = y;
    }
}

int limited(int v, int floor)
{
    return v < floor ? floor : v;
}

} // namespace

void DrawLine(QImage& frame, int x0, int y0, int x1, int y1, QRgb colour)
{
    DrawLine(frame, FrameRect(frame), x0, y0, x1, y1, colour);
}

void DrawLine(QImage& frame, const QRect& area, int x0, int y0, int x1, int y1, QRgb colour)
{
    const QRect clip = area & FrameRect(frame);
    const int l = clip.left(), t = clip.top(), r = clip.right(), b = clip.bottom();
    // Both ends on the same outer side: nothing of the line is inside.
    if ((x0 < l && x1 < l) || (y0 < t && y1 < t) || (x0 > r && x1 > r) || (y0 > b && y1 > b))
        return;
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        setPixel(frame, clip, x0, y0, colour);
        if (x0 == x1 && y0 == y1)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void OsiroScope(QImage& frame, Engine& engine, int osiroType)
{
    OsiroScope(frame, engine, osiroType, FrameRect(frame));
}

void OsiroScope(QImage& frame, Engine& engine, int osiroType, const QRect& box)
{
    const QRect clip = box & FrameRect(frame);
    std::array<int32_t, 256> left{}, right{};
    engine.getWave(left.data(), right.data());

    switch (osiroType) {
    case 0:
        polyline(frame, clip, 2, kCombinedTraceColour, [&](int i) {
            return limited(RoundEven((double(left[i]) + right[i]) / 4.0), -45);
        });
        break;
    case 2:
        polyline(frame, clip, 2, kRightTraceColour,
                 [&](int i) { return limited(RoundEven(right[i] / 2.0), -45); });
        break;
    case 3:
        polyline(frame, clip, 2, kLeftTraceColour,
                 [&](int i) { return limited(RoundEven(left[i] / 2.0), -45); });
        break;
    case 1: {
        // Two traces drawn index by index, the right one first at each step.
        auto rightY = [&](int i) { return Clamp16(int64_t(40) - RoundEven(right[i] / 2.0)); };
        auto leftY = [&](int i) { return 60 - limited(RoundEven(left[i] / 2.0), -35); };
        int prevRightY = rightY(0), prevLeftY = leftY(0), prevX = kTraceX;
        setPixel(frame, clip, kTraceX, prevRightY, kRightTraceColour);
        setPixel(frame, clip, kTraceX, prevLeftY, kLeftTraceColour);
        for (int i = 4; i < 256; i += 4) {
            const int x = RoundEven(traceX(i));
            const int ry = rightY(i), ly = leftY(i);
            DrawLine(frame, clip, prevX, prevRightY, x, ry, kRightTraceColour);
            DrawLine(frame, clip, prevX, prevLeftY, x, ly, kLeftTraceColour);
            prevX = x;
            prevRightY = ry;
            prevLeftY = ly;
        }
        break;
    }
    default:
        break;
    }
}
