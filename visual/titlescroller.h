// The title scroller ("TitleMove"): the track title scrolling right to left through the display
// window while the track plays, held at its home position otherwise.
#pragma once

#include <QImage>

#include "textstamp.h"

class Engine;
struct AppState;

inline constexpr QRgb kTitleColour = 0xFFFFFFFF;

// The main window's own part of the scroller; TitlePos, TitleReset and TitleStep live in AppState.
struct TitleScroller {
    int TitleTick = 0; // call counter 0..3: the title moves on every fourth call
    TextStamp Label2;  // the title text as drawn; its width is the label's width
};

// One call per tick: takes the text of app.TitleLabel, moves the title by the rules (asking the
// engine for its state on every fourth call) and draws it at (TitlePos + 88, 102) in white.
void TitleMove(QImage& frame, Engine& engine, AppState& app, TitleScroller& scroller);

// Whether TitleMove would draw the title where it was last drawn: no track playing (engineState
// as polled this tick), no hold running, the title at home and its text the one drawn.
bool TitleStill(const AppState& app, const TitleScroller& scroller, int engineState);
// What TitleMove does to the scroller's state in such a tick, without drawing.
void TitleStillTick(TitleScroller& scroller);
