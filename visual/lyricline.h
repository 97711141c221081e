// The synchronised lyric line ("ShowLyrics"): the engine's current lyric line centred under the
// display window, with a shadow and a colour fade-in whenever the line changes.
#pragma once

#include <QImage>
#include <QString>

#include "textstamp.h"

class Engine;

inline constexpr int kLyricShadowY = 132;
inline constexpr int kLyricTextY = 131;
inline constexpr int kLyricFadeSteps = 30;
// The lyric bar's room: a line wider than it is drawn in a smaller font, down to the floor size;
// one still wider starts at the bar's left end, so its beginning is always read.
inline constexpr int kLyricBarLeft = 6;
inline constexpr int kLyricBarWidth = 288;
inline constexpr int kLyricFloorPixels = 9;

// The main window's lyric values kept between calls.
struct LyricLine {
    int LyricFadeStep = kLyricFadeSteps; // 1 right after a change .. 30 fully faded in
    int LyricLeft = 0; // x of the shown line's left edge (the mouse handling reads it)
    TextStamp Label3;  // the line being shown; Label3.width() is its width in pixels
    QString Label5;    // the line shown on the previous call with a real line
};

// Shadow and text colours for a fade step (lyricsFade non-zero enables the fade).
QRgb LyricShadowColour(int step, int lyricsFade);
QRgb LyricTextColour(int step, int lyricsFade, bool hover);

// Left edge of a line of `width` pixels centred in the 300-pixel frame (halves to even).
int CentredLeft(int width);
// Where the lyric line starts: centred, but never left of the lyric bar.
int LyricLeftOf(int width);
// Puts text into stamp in the frame font's size, or the largest smaller size down to the floor
// that fits the lyric bar.
void FitLyric(TextStamp& stamp, const QString& text);

// One call per tick: asks the engine for the line and draws shadow and text.
void ShowLyrics(QImage& frame, Engine& engine, int lyricsFade, bool lyricHover, LyricLine& line);
// Whether ShowLyrics would leave the line as it is and draw what it drew last (in the same
// colours): the fade has ended and the engine's line is the one shown.
bool LyricLineStill(Engine& engine, const LyricLine& line);
