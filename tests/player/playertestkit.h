// Shared pieces of the main-window tests: a noise skin sheet, a recording AppActions, a
// playlist with rows and the exact raster formula to check drawn sprites against.
#pragma once

#include "player/skinpictures.h"
#include "state/actions.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <string>
#include <vector>

class PlaylistModel;

// Pictures of the skin's sizes filled with deterministic noise, so that a cell read from the
// wrong place never matches the right one; the 2x pictures have noise of their own.
SkinPictures NoiseSkin();

// The colour of a masked copy's pixel over before: image XOR (mask AND NOT before).
QRgb MaskedPixel(QRgb before, QRgb mask, QRgb image);

// Compares the frame's area at `at` with the masked copy of the sheet's cells over `before`.
// Returns an empty string when every pixel matches, else the first mismatch.
std::string CheckMasked(const QImage& frame, const QImage& before, QPoint at,
                        const QImage& maskSheet, QPoint maskAt, const QImage& imageSheet,
                        QPoint imageAt, QSize size);
// The same for a plain copy.
std::string CheckCopied(const QImage& frame, QPoint at, const QImage& sheet, QPoint from,
                        QSize size);

// Rows "Track n" with path "/music/tn.mp3" for n = 1..count.
void FillPlaylist(PlaylistModel& playlist, int count);

class RecordingActions : public AppActions {
public:
    std::vector<std::string> calls;
    std::vector<ToolWindow> shown;
    QPoint menuAt;

    void showToolWindow(ToolWindow window) override;
    void showPlaylist() override { calls.push_back("showPlaylist"); }
    void showCommandMenu(const QPoint& globalPos) override;
    void hideWindows() override { calls.push_back("hideWindows"); }
    void restoreWindows() override { calls.push_back("restoreWindows"); }
    void toggleWindows() override { calls.push_back("toggleWindows"); }
    void setTopMost(bool on) override { calls.push_back(on ? "topMost" : "notTopMost"); }
    void setMainWindowsEnabled(bool enabled) override
    {
        calls.push_back(enabled ? "enableWindows" : "disableWindows");
    }
    void quitApp() override { calls.push_back("quitApp"); }
    void openHelp() override { calls.push_back("openHelp"); }
    void openFileManager() override { calls.push_back("openFileManager"); }
};

// Everything the main window's rules need, wired as the window wires them, without the window.
#include "player/mainframe.h"
#include "player/maininput.h"
#include "player/maintick.h"
#include "player/mainwindowstate.h"
#include "player/menucommands.h"
#include "player/menupanel.h"
#include "player/playerhooks.h"
#include "playlist/playlistmodel.h"
#include "playlist/trackops.h"
#include "state/appstate.h"
#include "support/fakeengine.h"

struct PlayerRig {
    AppState state;
    FakeEngine engine;
    PlaylistModel playlist;
    TrackOps ops{state, engine, playlist};
    RecordingActions actions;
    PlayerHooks hooks;
    SkinPictures skin = NoiseSkin();
    MainWindowState window;
    MenuPanel menu;
    MenuCommands commands{state, engine, playlist, actions};
    MainFrame frame{state, engine, playlist, skin, window, menu};
    MainTick tick{state, engine, playlist, ops, window, frame};
    MainInput input{state, engine, ops, actions, window, menu, commands, hooks};
};
