// The invisible hot areas of the main window and the hit tests the mouse handlers use.
#pragma once

#include <QPointF>
#include <QRect>
#include <QString>

#include <array>
#include <optional>

// Transport buttons ("Image1"), index 0 play .. 7 quit.
inline constexpr int kTransportButtonCount = 8;
inline constexpr std::array<QRect, kTransportButtonCount> kButtonAreas{{
    {5, 76, 22, 22},
    {30, 86, 22, 22},
    {56, 93, 22, 22},
    {222, 92, 22, 22},
    {249, 85, 22, 22},
    {274, 75, 22, 22},
    {268, 0, 16, 15},
    {284, 2, 16, 15},
}};

// Menu panel entries ("Image2"): 0 page back, 1..3 the page's commands, 4 page forward.
inline constexpr int kMenuEntryCount = 5;
inline constexpr std::array<QRect, kMenuEntryCount> kMenuEntryAreas{{
    {216, 24, 57, 12},
    {216, 36, 65, 12},
    {216, 48, 65, 12},
    {216, 60, 65, 12},
    {216, 72, 49, 12},
}};

// Elapsed time ("Image3") and title ("Image4"): tooltip carriers only.
inline constexpr QRect kTimeArea{20, 46, 50, 15};
inline constexpr QRect kTitleArea{88, 98, 120, 18};

// Index of the transport button under pos, if any.
std::optional<int> ButtonAt(QPointF pos);
// Index of the menu entry under pos, if any.
std::optional<int> MenuEntryAt(QPointF pos);

// The window's own areas; bounds are exclusive on every side.
bool InVolumeArea(QPointF pos);
bool InPositionBar(QPointF pos);
bool OnLyricLine(QPointF pos, int lyricLeft, int lyricWidth);

// Tooltip of transport button index.
QString ButtonToolTip(int index);
