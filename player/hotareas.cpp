// Hit tests of the main window's hot areas.
#include "hotareas.h"

namespace {

// A pixel hot area contains the points whose whole-pixel coordinates fall inside it, so that a
// fractional position on a scaled screen hits the same area as the pixel it lies in.
bool Contains(const QRect& area, QPointF pos)
{
    return pos.x() >= area.left() && pos.x() < area.left() + area.width() &&
           pos.y() >= area.top() && pos.y() < area.top() + area.height();
}

} // namespace

std::optional<int> ButtonAt(QPointF pos)
{
    for (int i = 0; i < kTransportButtonCount; ++i) {
        if (Contains(kButtonAreas[i], pos))
            return i;
    }
    return std::nullopt;
}

std::optional<int> MenuEntryAt(QPointF pos)
{
    for (int i = 0; i < kMenuEntryCount; ++i) {
        if (Contains(kMenuEntryAreas[i], pos))
            return i;
    }
    return std::nullopt;
}

bool InVolumeArea(QPointF pos)
{
    return pos.x() > 182 && pos.x() < 210 && pos.y() > 11 && pos.y() < 27;
}

bool InPositionBar(QPointF pos)
{
    return pos.x() > 78 && pos.x() < 85 && pos.y() > 20 && pos.y() < 85;
}

bool OnLyricLine(QPointF pos, int lyricLeft, int lyricWidth)
{
    return pos.y() > 128 && pos.y() < 140 && pos.x() > lyricLeft &&
           pos.x() < lyricLeft + lyricWidth;
}

QString ButtonToolTip(int index)
{
    switch (index) {
    case 0:
        return QStringLiteral("再生");
    case 1:
        return QStringLiteral("停止");
    case 2:
        return QStringLiteral("一時停止");
    case 3:
        return QStringLiteral("次の曲");
    case 4:
        return QStringLiteral("前の曲");
    case 6:
        return QStringLiteral("ウィンドウを隠す");
    case 5:
    case 7:
        return QStringLiteral("終了");
    default:
        return {};
    }
}
