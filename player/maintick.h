// One tick of the main loop for the main window: poll the engine, tray icon, lyrics editor
// clock, end-of-track rule, then the frame ("clsTimer_Timer").
#pragma once

class Engine;
class LyricsClock;
class MainFrame;
class PlaylistModel;
class TrackOps;
class TrayIconSink;
struct AppState;
struct MainWindowState;

class MainTick {
public:
    MainTick(AppState& state, Engine& engine, PlaylistModel& playlist, TrackOps& ops,
             MainWindowState& window, MainFrame& frame);

    // Optional parties: the tray icon and the open lyrics editor (nullptr = none).
    void setTrayIcon(TrayIconSink* sink) { m_tray = sink; }
    void setLyricsClock(LyricsClock* clock) { m_lyricsClock = clock; }

    // One tick. Without drawFrame (the window cannot be seen) the logic runs and no frame is
    // composed.
    void run(bool drawFrame = true);

private:
    void updateLyricsClock();

    AppState& m_state;
    Engine& m_engine;
    PlaylistModel& m_playlist;
    TrackOps& m_ops;
    MainWindowState& m_window;
    MainFrame& m_frame;
    TrayIconSink* m_tray = nullptr;
    LyricsClock* m_lyricsClock = nullptr;
};
