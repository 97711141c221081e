// Start-up placement.
#include "startup.h"

#include <algorithm>

std::optional<QPoint> StartPosition(int startType, const QSize& window, const QRect& screen)
{
    const int w = window.width();
    const int h = window.height();
    const int sw = screen.width();
    const int sh = screen.height();
    QPoint p;
    switch (startType) {
    case 0:
        p = QPoint(sw / 2 - w / 2, sh / 2 - h / 2);
        break;
    case 1:
        p = QPoint(0, sh - h);
        break;
    case 2:
        p = QPoint(0, 0);
        break;
    case 3:
        p = QPoint(sw - w, 0);
        break;
    case 4:
        p = QPoint(sw - w, sh - h);
        break;
    default:
        return std::nullopt;
    }
    return p + screen.topLeft();
}

QPoint KeepInside(const QPoint& topLeft, const QSize& frame, const QRect& available)
{
    const int x = std::max(available.left(),
                           std::min(topLeft.x(), available.right() + 1 - frame.width()));
    const int y = std::max(available.top(),
                           std::min(topLeft.y(), available.bottom() + 1 - frame.height()));
    return {x, y};
}

QPoint PlaceBeside(const QRect& anchor, const QSize& frame, const QRect& available)
{
    const QPoint candidates[] = {
        {anchor.right() + 1, anchor.top()},
        {anchor.left() - frame.width(), anchor.top()},
        {anchor.left(), anchor.bottom() + 1},
        {anchor.left(), anchor.top() - frame.height()},
    };
    // Each side in turn, slid inside the free area; on a screen too small for any side to keep
    // clear of the anchor, the side that covers least of it.
    QPoint best;
    qint64 leastCovered = -1;
    for (const QPoint& at : candidates) {
        const QPoint inside = KeepInside(at, frame, available);
        const QRect covered = QRect(inside, frame).intersected(anchor);
        const qint64 area = covered.isEmpty() ? 0 : qint64(covered.width()) * covered.height();
        if (leastCovered < 0 || area < leastCovered) {
            leastCovered = area;
            best = inside;
        }
    }
    return best;
}
