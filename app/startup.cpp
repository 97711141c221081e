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

QRect PlaceBesideShrinking(const QRect& anchor, const QSize& frame, const QSize& smallest,
                           const QRect& available)
{
    const QRect whole(PlaceBeside(anchor, frame, available), frame);
    if (!whole.intersects(anchor))
        return whole;
    // The free band on each side of the anchor within the screen, and the corner a frame of a
    // given size takes in it next to the anchor, level with it where the band allows.
    struct Side {
        QRect band;
        QPoint (*corner)(const QRect& anchor, const QSize& size);
    };
    const Side sides[] = {
        {QRect(QPoint(anchor.right() + 1, available.top()), available.bottomRight()),
         [](const QRect& a, const QSize&) { return QPoint(a.right() + 1, a.top()); }},
        {QRect(available.topLeft(), QPoint(anchor.left() - 1, available.bottom())),
         [](const QRect& a, const QSize& size) {
             return QPoint(a.left() - size.width(), a.top());
         }},
        {QRect(QPoint(available.left(), anchor.bottom() + 1), available.bottomRight()),
         [](const QRect& a, const QSize&) { return QPoint(a.left(), a.bottom() + 1); }},
        {QRect(available.topLeft(), QPoint(available.right(), anchor.top() - 1)),
         [](const QRect& a, const QSize& size) {
             return QPoint(a.left(), a.top() - size.height());
         }},
    };
    QRect best = whole;
    qint64 bestArea = 0;
    for (const Side& side : sides) {
        const QSize fits = frame.boundedTo(side.band.size());
        const qint64 area = qint64(fits.width()) * fits.height();
        if (fits.width() < smallest.width() || fits.height() < smallest.height() ||
            area <= bestArea)
            continue;
        bestArea = area;
        best = QRect(KeepInside(side.corner(anchor, fits), fits, side.band), fits);
    }
    return best;
}
