// Composes the main window's 300 x 150 frame ("SubMainPic") for one tick, in the fixed order of
// the drawing steps: background, stars, menu panel, visualisation, title, overlay, digits and
// buttons, time, indicators, status line, lyric line, lamps, position cursor, level meter.
#pragma once

#include <QImage>
#include <QString>

#include <array>
#include <optional>
#include <vector>

#include "framediff.h"
#include "overlaycompositor.h"
#include "skinpictures.h"
#include "visual/lyricline.h"
#include "visual/skinlayout.h"
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

    // Draws the frame for the engine state and elapsed sec of this tick's poll. In a still tick
    // that follows a still tick with the same StillKey, nothing outside the display band can
    // differ from the frame already drawn, and only the band is drawn again: with the
    // oscilloscope all of it, else only where the stars were and are, and the status line when
    // its text moved or a star crossed it.
    void compose(int engineState, int sec);
    // What the last compose may have changed: the whole frame, the display band or pieces of
    // it; every other pixel is as it was.
    const std::vector<QRect>& changedRects() const { return m_changed; }
    // True when they cover only pixels drawn again (a still tick's pieces): nothing is gained
    // by comparing them with the frame shown before.
    bool changedRectsAreTight() const { return m_changedTight; }
    // The next compose draws the whole frame.
    void forgetStill() { m_lastStill.reset(); }
    // Composes from now on at 1x or, for screens of twice the density and between, at 2x: a
    // frame of twice the size with a device pixel ratio of 2, drawn from the 2x pictures with
    // every place and size doubled and the text rendered at twice the pixel size. Still ticks
    // draw the same pieces at either scale. Returns the scale now used (1 when the skin has no
    // 2x pictures).
    int setScale(int scale);
    int scale() const { return m_scale; }

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
    // Everything the steps drawn outside the display band draw from, taken only in a tick in
    // which none of them moves by itself: no track playing, the menu at rest, the title at home,
    // the lyric line settled. Inside the band only the background, the stars, the oscilloscope,
    // the overlay and the status line are drawn, and a still tick draws them again wherever
    // they can have changed.
    struct StillKey {
        int engineState, sec, volume, sampleRate, bitRate, totalSec, seekPos, playMode;
        int lyricsFade, menuPage, expressType, speAnaType, relativityVol;
        bool trackShown, fileOpened, listShown, seeking, fadeIn, alwaysTop, lyricHover;
        std::array<bool, 8> buttonDown;
        std::array<bool, 5> menuHover;
        QString title;
        bool operator==(const StillKey&) const = default;
    };
    std::optional<StillKey> stillKey(int engineState, int sec);
    void composeWhole(int engineState, int sec);
    // A still tick's drawing: with the oscilloscope the whole band, else only the pieces.
    void composeBand();
    void composeStars();
    void drawStars();
    // The status line's text as cut to its box and its left edge this tick (nullptr for none).
    const TextStamp* statusStamp(int& x);
    void drawSmallNumber(int value, int digits, const int* xs);
    void drawSmallText(const std::string& text, int digits, const int* xs);
    void drawLargeDigit(int digit, int x);

    AppState& m_state;
    Engine& m_engine;
    const PlaylistModel& m_playlist;
    SkinPictures m_source; // the pictures as given, at both scales
    SkinPictures m_skin;   // the ones of the current scale
    int m_scale = 1;
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
    bool m_trackShown = true;            // the opened track is shown (set by compose)
    std::optional<StillKey> m_lastStill; // the key of the last tick, when it was still
    std::vector<QRect> m_changed;
    StarDots m_dots{};        // the stars as drawn by the last compose
    bool m_dotsDrawn = false; // ... when it drew them
    struct {
        QString text; // as drawn, cut
        int x = 0;
    } m_statusShown;   // the status line as the last compose drew it
    QRect m_statusBox; // all the status line can cover
    bool m_changedTight = false;
    RowRuns m_runs{SkinLayout::kDisplayBand}; // a still tick's pieces as runs along rows
    std::vector<RowRun> m_runsAt2x;           // ... and their frame pixels at 2x
    int m_tipShownSec = 0;
    int m_tipTotalSec = 0;
};
