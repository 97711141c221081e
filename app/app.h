// The composition root: builds the engine's users and the windows, runs start-up and the main
// loop, and carries out the commands that cross from one window to another.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

#include "state/actions.h"
#include "state/appstate.h"
#include "timerevent.h"

class Engine;
class MainWindow;
class PlaylistModel;
class PlaylistWindow;
class PlaylistWindowKit;
class Skin;
class TrackOps;
class ConversionWatcher;
class AppTraySink;
class AppLyricsClock;
class SignalWatch;
class MprisService;
struct EqMemory;
class QWidget;

// Registered with Engine::callback: marks the end of the track for the next tick. May be called
// from an engine thread, so it only stores an atomic flag.
void EngineCallback(int32_t code, int32_t value);

class App : public QObject, public AppActions {
    Q_OBJECT
public:
    App(AppState& state, Engine& engine, QObject* parent = nullptr);
    ~App() override;

    // Builds the windows and runs the main window's load sequence; args without the program name.
    void load(const QStringList& args);
    // Runs the main loop until quit.
    void run();
    // One tick: the main window's tick plus what the app watches (a running conversion).
    void tick();
    // True when the playlist row holding path has a neighbouring row of the same album (the
    // ReplayGain mode that takes the album's gain within an album's run of rows).
    bool albumRun(const std::string& path) const;

    // Writes listbu.bak from the rows; false (with a message on stderr) when it cannot.
    bool writeBackup();
    // Ends at once after writing the backup (a signal or the end of the desktop session).
    void emergencyQuit();
    // A later start's arguments (absolute paths): files are added and the first one plays;
    // none restores and raises the windows.
    void openHandedOver(const QStringList& args);

    // AppActions
    void showToolWindow(ToolWindow window) override;
    void showPlaylist() override;
    void showCommandMenu(const QPoint& globalPos) override;
    void hideWindows() override;
    void restoreWindows() override;
    void toggleWindows() override;
    void setTopMost(bool on) override;
    void setMainWindowsEnabled(bool enabled) override;
    void quitApp() override;
    void openHelp() override;
    void openFileManager() override;

    TimerEvent& timer() { return m_timer; }
    MainWindow& mainWindow() { return *m_mainWindow; }
    PlaylistWindow& playlistWindow() { return *m_playlistWindow; }
    PlaylistModel& playlist() { return *m_playlist; }
    TrackOps& trackOps() { return *m_ops; }
    bool quitting() const { return m_quitting; }

private:
    QWidget* createToolWindow(ToolWindow window);
    void closeAllWindows();
    // Puts a window that is about to open beside the main window, inside the screen's free area.
    void placeBesideMainWindow(QWidget& window);
    // Stores where the playlist window stands, for the next start.
    void rememberPlaylistPlace();
    void keepOnScreenOnceShown(QWidget& window, bool besideMainWindow);
    // Volume, mute, play mode, equaliser and the main window's place, for the next start.
    void rememberState();

    AppState& m_state;
    Engine& m_engine;
    QString m_backupError;  // why the last backup could not be written
    TimerEvent m_timer;
    std::unique_ptr<Skin> m_skin;
    std::unique_ptr<PlaylistModel> m_playlist;
    std::unique_ptr<TrackOps> m_ops;
    std::unique_ptr<PlaylistWindow> m_playlistWindow;
    std::unique_ptr<PlaylistWindowKit> m_kit;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<ConversionWatcher> m_watcher;
    std::unique_ptr<EqMemory> m_eqMemory;
    std::unique_ptr<AppTraySink> m_traySink;
    std::unique_ptr<AppLyricsClock> m_lyricsClock;
    std::unique_ptr<SignalWatch> m_signals;
    std::unique_ptr<MprisService> m_mpris;
    QPointer<QWidget> m_tools[9];
    bool m_quitting = false;
    bool m_askingQuit = false;
    bool m_startupProbe = false;
    bool m_loaded = false;  // start-up has filled the playlist
    QPoint m_mainStartPlace;        // where start-up put the main window; a move is remembered
    bool m_playlistPlaced = false;  // the playlist window has been put in its place this run
};
