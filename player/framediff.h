// What must be sent to show a new frame in place of the one on screen: a few rectangles that
// together cover every changed pixel. Scattered changes (stars, spectrum bars, digits) travel
// as small pieces instead of one box around all of them.
#pragma once

#include <QImage>
#include <QRect>

#include <vector>

// Rectangles of frame that differ from shown (both 32-bit, the same size): every changed pixel
// lies in one; changes closer than gapPixels along a row share a rectangle. Beyond maxRects
// pieces the sending costs more than the pixels saved: then one rectangle around them all.
std::vector<QRect> ChangedRects(const QImage& frame, const QImage& shown, int gapPixels = 8,
                                size_t maxRects = 96);
// The same where only the candidates can have changed: only the blocks of eight by eight pixels
// they touch are compared.
std::vector<QRect> ChangedRects(const QImage& frame, const QImage& shown,
                                const std::vector<QRect>& candidates, int gapPixels = 8,
                                size_t maxRects = 96);

// Pixels left to right along one row: [left, left + width) on row y.
struct RowRun {
    int y, left, width;
};

// Rectangles that cover the runs (given row by row, top to bottom, inside a frame width pixels
// wide), grouped as ChangedRects groups changed pixels.
std::vector<QRect> CoveringRects(const std::vector<RowRun>& runs, int width, int gapPixels = 8,
                                 size_t maxRects = 96);

// The smallest rectangle around all of rects (empty for none).
QRect BoundingRect(const std::vector<QRect>& rects);
