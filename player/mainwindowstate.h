// The main window's own values that the tick and the mouse handlers share ("Form1" locals).
#pragma once

#include <array>

struct MainWindowState {
    // Transport buttons held down, index as in the button table (0 play .. 7 quit).
    std::array<bool, 8> ButtonDown{};

    // Position-cursor drag; SeekPos is a point of the 60-pixel bar, 0 = start of the track.
    bool Seeking = false;
    int SeekPos = 0;

    // Volume drag.
    bool VolDrag = false;
    int DragStartX = 0;
    int DragStartVol = 0;

    // The pointer is over the lyric line (drawn yellow, a click opens the lyrics editor).
    bool LyricHover = false;

    // Tray icon animation.
    int LastIconSec = 0;
    bool IconToggle = false;
};
