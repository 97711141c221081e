// Commands that cross from one window to another; the app implements them, windows call them.
#pragma once

class QPoint;

enum class ToolWindow {
    Settings,       // "Window" settings
    ShortPath,      // folder shortcuts
    TagEditor,
    Equalizer,
    Pitch,
    LyricsEditor,
    Decoding,
    Document,
    Version,
};

class AppActions {
public:
    virtual ~AppActions() = default;

    // Shows (creating on first use) a tool window, modeless. Rules about when a window may
    // open (a loaded track, a stopped engine) are the caller's.
    virtual void showToolWindow(ToolWindow window) = 0;
    // Shows the playlist window in normal state.
    virtual void showPlaylist() = 0;
    // The full command menu at a global screen position.
    virtual void showCommandMenu(const QPoint& globalPos) = 0;
    // Hides the main and playlist windows (the tray icon brings them back).
    virtual void hideWindows() = 0;
    // Shows the main window, and the playlist window when ListVisible.
    virtual void restoreWindows() = 0;
    // The tray icon's left click: hides the windows when the main window is shown, else
    // restores and raises them.
    virtual void toggleWindows() = 0;
    virtual void setTopMost(bool on) = 0;
    // Disables or enables the main and playlist windows (the conversion window is open).
    virtual void setMainWindowsEnabled(bool enabled) = 0;
    virtual void quitApp() = 0;  // asks first
    virtual void openHelp() = 0;
    virtual void openFileManager() = 0;  // the current track's folder, home when none
};
