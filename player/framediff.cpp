// Changed pixels found per block of eight pixels; each band of eight rows sends its runs of
// changed blocks as rectangles, trimmed to the rows that changed.
#include "framediff.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kBlock = 8;
constexpr int kBand = 8;

bool SameBlock(const uint32_t* a, const uint32_t* b, int n)
{
    uint32_t differ = 0;
    for (int i = 0; i < n; ++i)
        differ |= a[i] ^ b[i];
    return differ == 0;
}

} // namespace

std::vector<QRect> ChangedRects(const QImage& frame, const QImage& shown, int gapPixels,
                                size_t maxRects)
{
    if (frame.size() != shown.size() || frame.format() != shown.format() ||
        frame.depth() != 32)
        return {frame.rect()};
    const int width = frame.width();
    const int blocks = (width + kBlock - 1) / kBlock;
    const int gapBlocks = std::max(0, gapPixels / kBlock);
    // Per block of the band: the first and last row that changed in it (-1 for none).
    std::vector<int> top(static_cast<size_t>(blocks)), bottom(static_cast<size_t>(blocks));
    std::vector<QRect> rects;
    for (int band = 0; band < frame.height(); band += kBand) {
        std::fill(top.begin(), top.end(), -1);
        bool any = false;
        const int bandEnd = std::min(frame.height(), band + kBand);
        for (int y = band; y < bandEnd; ++y) {
            const auto* a = reinterpret_cast<const uint32_t*>(frame.constScanLine(y));
            const auto* b = reinterpret_cast<const uint32_t*>(shown.constScanLine(y));
            if (std::memcmp(a, b, sizeof(uint32_t) * width) == 0)
                continue;
            for (int k = 0; k < blocks; ++k) {
                const int x = k * kBlock;
                if (SameBlock(a + x, b + x, std::min(kBlock, width - x)))
                    continue;
                if (top[k] < 0)
                    top[k] = y;
                bottom[k] = y;
                any = true;
            }
        }
        if (!any)
            continue;
        // Runs of changed blocks, bridging gaps of up to gapBlocks unchanged ones.
        for (int k = 0; k < blocks;) {
            if (top[k] < 0) {
                ++k;
                continue;
            }
            int last = k, runTop = top[k], runBottom = bottom[k];
            for (int next = k + 1; next < blocks && next - last <= gapBlocks + 1; ++next) {
                if (top[next] < 0)
                    continue;
                last = next;
                runTop = std::min(runTop, top[next]);
                runBottom = std::max(runBottom, bottom[next]);
            }
            const int left = k * kBlock;
            const int right = std::min(width, (last + 1) * kBlock) - 1;
            rects.push_back(QRect(QPoint(left, runTop), QPoint(right, runBottom)));
            k = last + 1;
        }
    }
    if (rects.size() > maxRects)
        return {BoundingRect(rects)};
    return rects;
}

QRect BoundingRect(const std::vector<QRect>& rects)
{
    QRect all;
    for (const QRect& r : rects)
        all |= r;
    return all;
}
