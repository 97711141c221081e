// The background and the frame overlay of each tick, done only where they can be seen: under
// the overlay's opaque parts the masked copy yields the overlay image whatever lies below, so
// there the background is not copied and the overlay is a plain copy; where mask and image are
// both white the masked copy leaves the frame as it is, so there it is skipped. The result is
// the same, pixel for pixel, as copying the whole background and laying the whole overlay masked.
#pragma once

#include "framediff.h"

#include <QImage>

#include <vector>

class OverlayCompositor {
public:
    // background: 300 x 150; overlay: image in rows 0..height-1, mask in the rows below (for
    // a frame of twice the density all of them twice as large, and frames with a ratio of 2).
    // Areas are in 1x places, doubled on a frame of twice the density; runs are rows and
    // columns of the frame's own pixels.
    OverlayCompositor(const QImage& background, const QImage& overlay, int height);

    // Step one of the frame: the background wherever the overlay will not cover it.
    void copyBackground(QImage& frame) const;
    // The overlay over what was drawn: masked where it lets the drawing through, copied where
    // it is opaque.
    void applyOverlay(QImage& frame) const;
    // The same two steps for the pixels of area only.
    void copyBackground(QImage& frame, const QRect& area) const;
    void applyOverlay(QImage& frame, const QRect& area) const;
    // The same for scattered pixels, given as runs along rows that do not overlap.
    void copyBackground(QImage& frame, const std::vector<RowRun>& runs) const;
    void applyOverlay(QImage& frame, const std::vector<RowRun>& runs) const;

private:
    enum class Kind {
        Opaque, // mask black: the overlay image
        Clear,  // mask and image white: the frame stays
        Mixed,  // anything else: the exact masked copy
    };
    struct Span {
        int row, left, width;
        Kind kind;
    };

    // The columns [left, end) of span inside area; false when there are none.
    static bool clip(const Span& span, const QRect& area, int& left, int& end);

    QImage m_background;
    QImage m_overlay;
    int m_height;
    // Rows above this one have the overlay and its mask; the others show the background only.
    int m_coveredRows = 0;
    std::vector<Span> m_spans;
};
