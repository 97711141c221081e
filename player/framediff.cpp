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

// The changed pixels of one band of rows, gathered per block: the first and last row and column
// in each (top -1 for none).
class BandBlocks {
public:
    explicit BandBlocks(int blocks)
        : m_top(static_cast<size_t>(blocks), -1), m_bottom(m_top), m_left(m_top), m_right(m_top)
    {
    }
    void clear()
    {
        std::fill(m_top.begin(), m_top.end(), -1);
        m_any = false;
    }
    // Columns first..last of row y in block k changed.
    void add(int k, int y, int first, int last)
    {
        if (m_top[k] < 0) {
            m_top[k] = y;
            m_left[k] = first;
            m_right[k] = last;
        }
        m_bottom[k] = y;
        m_left[k] = std::min(m_left[k], first);
        m_right[k] = std::max(m_right[k], last);
        m_any = true;
    }
    // Runs of changed blocks, bridging gaps of up to gapBlocks unchanged ones.
    void emit(int gapBlocks, std::vector<QRect>& rects) const
    {
        if (!m_any)
            return;
        const int blocks = static_cast<int>(m_top.size());
        for (int k = 0; k < blocks;) {
            if (m_top[k] < 0) {
                ++k;
                continue;
            }
            int last = k, runTop = m_top[k], runBottom = m_bottom[k];
            for (int next = k + 1; next < blocks && next - last <= gapBlocks + 1; ++next) {
                if (m_top[next] < 0)
                    continue;
                last = next;
                runTop = std::min(runTop, m_top[next]);
                runBottom = std::max(runBottom, m_bottom[next]);
            }
            rects.push_back(QRect(QPoint(m_left[k], runTop), QPoint(m_right[last], runBottom)));
            k = last + 1;
        }
    }

private:
    std::vector<int> m_top, m_bottom, m_left, m_right;
    bool m_any = false;
};

} // namespace

std::vector<QRect> ChangedRects(const QImage& frame, const QImage& shown,
                                const std::vector<QRect>& candidates, int gapPixels,
                                size_t maxRects)
{
    if (frame.size() != shown.size() || frame.format() != shown.format() || frame.depth() != 32)
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
    BandBlocks changed(blocks);
    std::vector<QRect> rects;
    for (int bandIndex = 0; bandIndex < bands; ++bandIndex) {
        if (lastWanted[bandIndex] < 0)
            continue;
        const uint8_t* want = wanted.data() + bandIndex * blocks;
        // When the wanted blocks lie side by side, a row is first compared across all of them
        // at once; scattered ones are compared one by one.
        const int spanLeft = firstWanted[bandIndex] * kBlock;
        const int spanWidth = std::min(width, (lastWanted[bandIndex] + 1) * kBlock) - spanLeft;
        const bool sideBySide =
            std::all_of(want + firstWanted[bandIndex], want + lastWanted[bandIndex] + 1,
                        [](uint8_t w) { return w != 0; });
        changed.clear();
        const int band = bandIndex * kBand;
        const int bandEnd = std::min(frame.height(), band + kBand);
        for (int y = band; y < bandEnd; ++y) {
            const auto* a = reinterpret_cast<const uint32_t*>(frame.constScanLine(y));
            const auto* b = reinterpret_cast<const uint32_t*>(shown.constScanLine(y));
            if (sideBySide &&
                std::memcmp(a + spanLeft, b + spanLeft, sizeof(uint32_t) * spanWidth) == 0)
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
                changed.add(k, y, first, last);
            }
        }
        changed.emit(gapBlocks, rects);
    }
    if (rects.size() > maxRects)
        return {BoundingRect(rects)};
    return rects;
}

RowRuns::RowRuns(const QRect& area)
    : m_area(area), m_marks(static_cast<size_t>(area.width()) * area.height(), 0),
      m_from(static_cast<size_t>(area.height())), m_to(static_cast<size_t>(area.height()))
{
}

const std::vector<RowRun>& RowRuns::of(const std::vector<QRect>& rects)
{
    const int width = m_area.width();
    std::fill(m_from.begin(), m_from.end(), width);
    std::fill(m_to.begin(), m_to.end(), 0);
    for (const QRect& rect : rects) {
        const QRect r = rect & m_area;
        if (r.isEmpty())
            continue;
        const int from = r.left() - m_area.left();
        for (int row = r.top() - m_area.top(); row <= r.bottom() - m_area.top(); ++row) {
            std::fill_n(m_marks.begin() + row * width + from, r.width(), 1);
            m_from[row] = std::min(m_from[row], from);
            m_to[row] = std::max(m_to[row], from + r.width());
        }
    }
    m_runs.clear();
    for (int row = 0; row < m_area.height(); ++row) {
        uint8_t* marks = m_marks.data() + row * width;
        for (int i = m_from[row]; i < m_to[row];) {
            if (!marks[i]) {
                ++i;
                continue;
            }
            int end = i;
            while (end < m_to[row] && marks[end])
                marks[end++] = 0;
            m_runs.push_back({row + m_area.top(), i + m_area.left(), end - i});
            i = end;
        }
    }
    return m_runs;
}

void DoubleRuns(const std::vector<RowRun>& runs, std::vector<RowRun>& doubled)
{
    doubled.clear();
    size_t rowStart = 0;
    while (rowStart < runs.size()) {
        size_t rowEnd = rowStart;
        while (rowEnd < runs.size() && runs[rowEnd].y == runs[rowStart].y)
            ++rowEnd;
        for (int half = 0; half < 2; ++half) {
            for (size_t i = rowStart; i < rowEnd; ++i)
                doubled.push_back({2 * runs[i].y + half, 2 * runs[i].left, 2 * runs[i].width});
        }
        rowStart = rowEnd;
    }
}

std::vector<QRect> CoveringRects(const std::vector<RowRun>& runs, int width, int gapPixels,
                                 size_t maxRects)
{
    const int blocks = (width + kBlock - 1) / kBlock;
    BandBlocks covered(blocks);
    std::vector<QRect> rects;
    int band = -1;
    for (const RowRun& run : runs) {
        if (run.width <= 0)
            continue;
        if (run.y / kBand != band) {
            covered.emit(std::max(0, gapPixels / kBlock), rects);
            covered.clear();
            band = run.y / kBand;
        }
        const int end = run.left + run.width - 1;
        for (int k = run.left / kBlock; k <= end / kBlock; ++k)
            covered.add(k, run.y, std::max(run.left, k * kBlock),
                        std::min(end, k * kBlock + kBlock - 1));
    }
    covered.emit(std::max(0, gapPixels / kBlock), rects);
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
