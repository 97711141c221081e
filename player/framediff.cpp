// Changed runs found per row in blocks of eight pixels, joined down the rows into rectangles.
#include "framediff.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kBlock = 8;

struct Run {
    int left, right; // inclusive pixels
};

// The changed runs of one row; runs closer than gap are one run.
void RowRuns(const uint32_t* a, const uint32_t* b, int width, int gap, std::vector<Run>& runs)
{
    runs.clear();
    for (int block = 0; block < width; block += kBlock) {
        const int n = std::min(kBlock, width - block);
        if (std::memcmp(a + block, b + block, sizeof(uint32_t) * n) == 0)
            continue;
        int left = block;
        while (a[left] == b[left])
            ++left;
        int right = block + n - 1;
        while (a[right] == b[right])
            --right;
        if (!runs.empty() && left - runs.back().right <= gap)
            runs.back().right = right;
        else
            runs.push_back({left, right});
    }
}

} // namespace

std::vector<QRect> ChangedRects(const QImage& frame, const QImage& shown, int gapPixels,
                                size_t maxRects)
{
    std::vector<QRect> done;
    if (frame.size() != shown.size() || frame.format() != shown.format() ||
        frame.depth() != 32)
        return {frame.rect()};
    const int width = frame.width();
    std::vector<QRect> open; // rectangles that reach the previous row
    std::vector<QRect> next;
    std::vector<Run> runs;
    for (int y = 0; y < frame.height(); ++y) {
        const auto* a = reinterpret_cast<const uint32_t*>(frame.constScanLine(y));
        const auto* b = reinterpret_cast<const uint32_t*>(shown.constScanLine(y));
        if (std::memcmp(a, b, sizeof(uint32_t) * width) == 0)
            runs.clear();
        else
            RowRuns(a, b, width, gapPixels, runs);
        // Each run grows the first rectangle above it that it comes near, or starts one.
        next.clear();
        for (const Run& run : runs) {
            auto near = [&](const QRect& r) {
                return run.left - r.right() <= gapPixels && r.left() - run.right <= gapPixels;
            };
            auto above = std::find_if(open.begin(), open.end(), near);
            auto joined = std::find_if(next.begin(), next.end(), near);
            if (joined != next.end()) {
                joined->setLeft(std::min(joined->left(), run.left));
                joined->setRight(std::max(joined->right(), run.right));
            } else if (above != open.end()) {
                QRect grown = *above;
                grown.setLeft(std::min(grown.left(), run.left));
                grown.setRight(std::max(grown.right(), run.right));
                grown.setBottom(y);
                open.erase(above);
                next.push_back(grown);
            } else {
                next.push_back(QRect(run.left, y, run.right - run.left + 1, 1));
            }
        }
        // Rectangles no run reached this row are finished.
        done.insert(done.end(), open.begin(), open.end());
        open.swap(next);
        if (done.size() + open.size() > maxRects) {
            done.insert(done.end(), open.begin(), open.end());
            QRect all = BoundingRect(done);
            // The rest of the frame may change too: take it in the box.
            for (int rest = y + 1; rest < frame.height(); ++rest) {
                if (std::memcmp(frame.constScanLine(rest), shown.constScanLine(rest),
                                sizeof(uint32_t) * width) != 0)
                    all |= QRect(0, rest, width, 1);
            }
            return {all};
        }
    }
    done.insert(done.end(), open.begin(), open.end());
    return done;
}

QRect BoundingRect(const std::vector<QRect>& rects)
{
    QRect all;
    for (const QRect& r : rects)
        all |= r;
    return all;
}
