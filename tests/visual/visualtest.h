// Shared helpers of the drawing tests: a plain frame and pixel counting.
#pragma once

#include <QImage>

#include <functional>

#include "visual/skinlayout.h"

inline constexpr QRgb kPlain = 0xFF123456; // a frame colour no drawing uses

inline QImage PlainFrame()
{
    QImage frame(SkinLayout::kFrameSize, QImage::Format_RGB32);
    frame.fill(kPlain);
    return frame;
}

// Number of pixels for which the predicate holds.
inline int CountPixels(const QImage& image, const std::function<bool(int, int, QRgb)>& test)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += test(x, y, image.pixel(x, y));
    return n;
}

inline int ChangedPixels(const QImage& frame)
{
    return CountPixels(frame, [](int, int, QRgb c) { return c != kPlain; });
}
