// Composes the main window's 300 x 150 frame ("SubMainPic") for one tick, in the fixed order of
// the drawing steps: background, stars, menu panel, visualisation, title, overlay, digits and
// buttons, time, indicators, status line, lyric line, lamps, position cursor, level meter.
#pragma once

#include <QImage>
#include <QString>

#include <vector>

#include "overlaycompositor.h"
#include "skinpictures.h"
#include "visual/lyricline.h"
#include "visual/starfield.h"
#include "visual/textstamp.h"
#include "visual/titlescroller.h"

class Engine;
class MenuPanel;
class PlaylistModel;
struct AppState;
struct MainWindowState;

class MainFrame {
public:
    MainFrame(AppState& state, Engine& engine, const PlaylistModel& playlist,
              const SkinPictures& skin, MainWindowState& window, MenuPanel& menu);

    // Draws the whole frame for the engine state and elapsed sec of this tick's poll.
    void compose(int engineState, int sec);

    const QImage& frame() const { return m_frame; }
    // The frame being drawn; tests prepare it before calling a single drawing step.
    QImage& canvas() { return m_frame; }
    // Tooltip of the time area ("Image3"), updated by every compose.
    QString timeToolTip() const { return TimeToolTip(m_tipShownSec, m_tipTotalSec); }
    const LyricLine& lyricLine() const { return m_lyric; }
    StarField& stars() { return m_stars; }
    TitleScroller& titleScroller() { return m_title; }

    // Drawing steps, public so that tests can check each on its own frame.
    void drawDigits();
    void drawButtons(int engineState);
    void drawTime(int sec);
    void drawIndicators();
    void WriteMessage();
    void drawLamps(int engineState);
    void SetPositionCursor();

    // "3:05/4:30" for shown seconds of a track of totalSec.
    static QString TimeToolTip(int shownSec, int totalSec);

private:
    void drawSmallNumber(int value, int digits, const int* xs);
    void drawLargeDigit(int digit, int x);

    AppState& m_state;
    Engine& m_engine;
    const PlaylistModel& m_playlist;
    SkinPictures m_skin;
    OverlayCompositor m_overlay;
    MainWindowState& m_window;
    MenuPanel& m_menu;
    QImage m_frame;
    StarField m_stars;
    TitleScroller m_title;
    LyricLine m_lyric;
    struct StatusStamp {
        QString source;  // the text asked for
        TextStamp stamp; // the text as drawn, cut to the status box
    };
    std::vector<StatusStamp> m_statusStamps;
    bool m_trackShown = true; // the opened track is shown (set by compose)
    int m_tipShownSec = 0;
    int m_tipTotalSec = 0;
};
