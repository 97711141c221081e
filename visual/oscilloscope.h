// The oscilloscope ("OsiroScope"): the engine's wave as polylines across the display window.
#pragma once

#include <QImage>
#include <QRgb>

class Engine;

// The skin's accents: the spectrum's cyan for both channels together, its amber for the right
// channel and a paler cyan for the left.
inline constexpr QRgb kCombinedTraceColour = 0xFF00F7EF;
inline constexpr QRgb kRightTraceColour = 0xFFFFB83C;
inline constexpr QRgb kLeftTraceColour = 0xFF78C8FF;

// Always asks the engine for the wave, then draws the variant osiroType (0 combined, 1 right
// and left, 2 right, 3 left; other values draw nothing) inside box. Keeps no state.
void OsiroScope(QImage& frame, Engine& engine, int osiroType, const QRect& box);
void OsiroScope(QImage& frame, Engine& engine, int osiroType);

// A one-pixel line between two pixel centres, both ends included, clipped to the frame.
void DrawLine(QImage& frame, int x0, int y0, int x1, int y1, QRgb colour);
// The same clipped to clip (which lies inside the frame).
void DrawLine(QImage& frame, const QRect& clip, int x0, int y0, int x1, int y1, QRgb colour);
