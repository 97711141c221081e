// Pure start-up rules: where the main window and the windows beside it go.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// The window's top-left corner for Starttype 0..4 on a screen; nothing for other values
// (the platform places the window).
std::optional<QPoint> StartPosition(int startType, const QSize& window, const QRect& screen);

// The top-left corner for a window whose frame is frame, so that it lies beside anchor (the
// main window's frame) and fully inside available (the screen less its panels): to the right,
// else to the left, else below, else above; never over the anchor when any of those fits, else
// over as little of it as can be.
QPoint PlaceBeside(const QRect& anchor, const QSize& frame, const QRect& available);
// As PlaceBeside for a window that may be made smaller, down to a frame of smallest: where no
// side has room for the whole frame, the frame shrinks to the side with the most room that
// holds smallest, clear of the anchor. The frame's place and size.
QRect PlaceBesideShrinking(const QRect& anchor, const QSize& frame, const QSize& smallest,
                           const QRect& available);
// topLeft moved just enough that a frame of that size lies inside available.
QPoint KeepInside(const QPoint& topLeft, const QSize& frame, const QRect& available);
