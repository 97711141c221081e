// What must be sent to show a new frame in place of the one on screen: a few rectangles that
// together cover every changed pixel. Scattered changes (stars, spectrum bars, digits) travel
// as small pieces instead of one box around all of them.
#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

// Rectangles of frame that differ from shown (both 32-bit, the same size) where only the
// candidates can have changed (only the blocks of eight by eight pixels they touch are
// compared): every changed pixel lies in one; changes closer than gapPixels along a row share
// a rectangle. Beyond maxRects pieces the sending costs more than the pixels saved: then one
// rectangle around them all.
std::vector<QRect> ChangedRects(const QImage& frame, const QImage& shown,
                                const std::vector<QRect>& candidates, int gapPixels = 8,
                                size_t maxRects = 96);

// Pixels left to right along one row: [left, left + width) on row y.
struct RowRun {
    int y, left, width;
};

// The pixels of rectangles that may overlap, inside an area, each once: runs along rows, row by
// row from the top, left to right.
class RowRuns {
public:
    explicit RowRuns(const QRect& area);
    // The runs of rects (clipped to the area); valid until the next call.
    const std::vector<RowRun>& of(const std::vector<QRect>& rects);

private:
    QRect m_area;
    std::vector<uint8_t> m_marks;  // per pixel of the area, cleared after each call
    std::vector<int> m_from, m_to; // per row: the columns marked
    std::vector<RowRun> m_runs;
};

// The runs of a frame of twice the density (each pixel two by two), in the same order.
void DoubleRuns(const std::vector<RowRun>& runs, std::vector<RowRun>& doubled);

// Rectangles that cover the runs (given row by row, top to bottom, inside a frame width pixels
// wide), grouped as ChangedRects groups changed pixels.
std::vector<QRect> CoveringRects(const std::vector<RowRun>& runs, int width, int gapPixels = 8,
                                 size_t maxRects = 96);

// The smallest rectangle around all of rects (empty for none).
QRect BoundingRect(const std::vector<QRect>& rects);
