// Changed pixels found per block of eight pixels; each band of eight rows sends its runs of
// changed blocks as rectangles, trimmed to the rows and columns that changed.
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
    return ChangedRects(frame, shown, std::vector<QRect>{frame.rect()}, gapPixels, maxRects);
}

std::vector<QRect> ChangedRects(const QImage& frame, const QImage& shown,
                                const std::vector<QRect>& candidates, int gapPixels,
                                size_t maxRects)
{
    if (frame.size() != shown.size() || frame.format() != shown.format() ||
        frame.depth() != 32)
        return {frame.rect()};
    const int width = frame.width();
    const int blocks = (width + kBlock - 1) / kBlock;
    const int bands = (frame.height() + kBand - 1) / kBand;
    const int gapBlocks = std::max(0, gapPixels / kBlock);
    // The blocks each candidate touches: only they are compared.
    std::vector<uint8_t> wanted(static_cast<size_t>(blocks) * bands, 0);
    std::vector<int> firstWanted(static_cast<size_t>(bands), blocks);
    std::vector<int> lastWanted(static_cast<size_t>(bands), -1);
    for (const QRect& candidate : candidates) {
        const QRect r = candidate & frame.rect();
        if (r.isEmpty())
            continue;
        for (int band = r.top() / kBand; band <= r.bottom() / kBand; ++band) {
            std::fill_n(wanted.begin() + band * blocks + r.left() / kBlock,
                        r.right() / kBlock - r.left() / kBlock + 1, 1);
            firstWanted[band] = std::min(firstWanted[band], r.left() / kBlock);
            lastWanted[band] = std::max(lastWanted[band], r.right() / kBlock);
        }
    }
    // Per block of the band: the first and last row and column that changed in it (top -1 for
    // none).
    std::vector<int> top(static_cast<size_t>(blocks)), bottom(static_cast<size_t>(blocks));
    std::vector<int> left(static_cast<size_t>(blocks)), right(static_cast<size_t>(blocks));
    std::vector<QRect> rects;
    for (int bandIndex = 0; bandIndex < bands; ++bandIndex) {
        if (lastWanted[bandIndex] < 0)
            continue;
        const uint8_t* want = wanted.data() + bandIndex * blocks;
        // The columns of the wanted blocks, compared at once first on every row.
        const int spanLeft = firstWanted[bandIndex] * kBlock;
        const int spanWidth = std::min(width, (lastWanted[bandIndex] + 1) * kBlock) - spanLeft;
        std::fill(top.begin(), top.end(), -1);
        bool any = false;
        const int band = bandIndex * kBand;
        const int bandEnd = std::min(frame.height(), band + kBand);
        for (int y = band; y < bandEnd; ++y) {
            const auto* a = reinterpret_cast<const uint32_t*>(frame.constScanLine(y));
            const auto* b = reinterpret_cast<const uint32_t*>(shown.constScanLine(y));
            if (std::memcmp(a + spanLeft, b + spanLeft, sizeof(uint32_t) * spanWidth) == 0)
                continue;
            for (int k = firstWanted[bandIndex]; k <= lastWanted[bandIndex]; ++k) {
                if (!want[k])
                    continue;
                const int x = k * kBlock;
                const int n = std::min(kBlock, width - x);
                if (SameBlock(a + x, b + x, n))
                    continue;
                int first = x, last = x + n - 1;
                while (a[first] == b[first])
                    ++first;
                while (a[last] == b[last])
                    --last;
                if (top[k] < 0) {
                    top[k] = y;
                    left[k] = first;
                    right[k] = last;
                }
                bottom[k] = y;
                left[k] = std::min(left[k], first);
                right[k] = std::max(right[k], last);
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
            rects.push_back(QRect(QPoint(left[k], runTop), QPoint(right[last], runBottom)));
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
