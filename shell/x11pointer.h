// Asks the X server about the pointer and a window's place, for what the platform's window
// moves do not report.
#pragma once

#include <QPoint>
#include <QWidget>

#include <optional>

// Whether any mouse button is held down now; nothing when the platform is not X11.
std::optional<bool> PointerButtonHeld();
// Where the X server has the top-left corner of window's native window now, in Qt's screen
// coordinates (device pixels mapped through the screen's scale, as Qt places windows): a window
// manager's move may not have reached Qt yet. Nothing off X11.
std::optional<QPoint> WindowPlaceOnScreen(const QWidget& window);
