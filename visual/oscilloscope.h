// The oscilloscope ("OsiroScope"): the engine's wave as polylines across the display window.
#pragma once

#include <QImage>
#include <QRgb>

class Engine;

inline constexpr QRgb kCombinedTraceColour = 0xFF00FF00; // green
inline constexpr QRgb kRightTraceColour = 0xFFFF0000;    // red
inline constexpr QRgb kLeftTraceColour = 0xFF0096FF;     // light blue

// Always asks the engine for the wave, then draws the variant osiroType (0 combined, 1 right
// and left, 2 right, 3 left; other values draw nothing). Keeps no state.
void OsiroScope(QImage& frame, Engine& engine, int osiroType);

// A one-pixel line between two pixel centres, both ends included, clipped to the frame.
void DrawLine(QImage& frame, int x0, int y0, int x1, int y1, QRgb colour);
