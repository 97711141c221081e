// The status line of the main window ("WriteMessage"): which texts it shows and where.
#pragma once

#include <QString>

#include <vector>

struct AppState;

struct StatusText {
    QString text;
    int x = 0;           // left edge in the frame; the line's top is kStatusY
    bool artist = false; // the artist label's text
};

inline constexpr int kStatusY = 45;

// What the status line holds for the engine state and elapsed sec. artistWidth and
// conversionWidth are the pixel widths of the artist label and of the conversion text in the
// status font. Ends ShowInfo once the artist's seconds are over.
std::vector<StatusText> StatusMessages(AppState& state, int engineState, int sec, int rowCount,
                                       int decodePercent, int artistWidth, int conversionWidth);

// "変換中 42%": shown while a silent WAV conversion runs.
QString ConversionText(int percent);
