// The status line of the main window ("WriteMessage"): which one text it shows and where.
#pragma once

#include <QString>

#include <optional>

struct AppState;

// The status line's box: texts are cut to fit inside it.
inline constexpr int kStatusY = 45;
inline constexpr int kStatusLeft = 90;
inline constexpr int kStatusWidth = 120;

struct StatusText {
    static constexpr int kCentred = -1;
    QString text;
    int x = kCentred;    // left edge in the frame, or centred in the box
    bool artist = false; // the artist label's text
};

// The one text the status line holds for the engine state and elapsed sec, by priority (see the
// definition). Ends ShowInfo once the artist's seconds are over.
std::optional<StatusText> StatusMessage(AppState& state, int engineState, int sec, int rowCount,
                                        int decodePercent);

// Left edge of a text `width` pixels wide: its own x while it stays inside the box, else centred
// in the box (from the box's left edge when it fills the box).
int StatusLeft(const StatusText& text, int width);

// "変換中 42%": shown while a silent WAV conversion runs.
QString ConversionText(int percent);
