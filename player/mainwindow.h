// The main window ("Form1"): a frameless 300 x 150 skin that the tick redraws, with invisible hot
// areas. It holds the layout and forwards events; the rules live in MainInput, MainTick and
// MainFrame.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <functional>
#include <vector>

#include "mainframe.h"
#include "maininput.h"
#include "maintick.h"
#include "mainwindowstate.h"
#include "menucommands.h"
#include "menupanel.h"
#include "playerhooks.h"

class AppActions;
class Engine;
class TrackOps;
struct AppState;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(AppState& state, Engine& engine, TrackOps& ops, AppActions& actions,
               const SkinPictures& skin, QWidget* parent = nullptr);

    // One tick of the main loop; the app calls it every Interval milliseconds. While the window
    // cannot be seen (hidden, minimised, unmapped) it runs the tick's logic and draws nothing;
    // the first tick it can be seen again sends the whole frame.
    void tick();
    // Whether the window can be seen now: shown, not minimised, mapped.
    bool canBeSeen() const;
    // Called when the platform paints the window while the last tick found it out of sight: it
    // shows a stale frame until the next tick, so the caller ticks at once.
    void setBackInSight(std::function<void()> hook) { m_backInSight = std::move(hook); }

    // Playlist operations provided by the playlist side (keys 1..5, the shuffled order).
    PlayerHooks& hooks() { return m_hooks; }
    void setTrayIcon(TrayIconSink* sink) { m_tick.setTrayIcon(sink); }
    void setLyricsClock(LyricsClock* clock) { m_tick.setLyricsClock(clock); }

    MainWindowState& windowState() { return m_window; }
    MenuPanel& menuPanel() { return m_menu; }
    MainFrame& mainFrame() { return m_frame; }
    MainInput& input() { return m_input; }
    // The frame the window shows now (what the last tick sent).
    const QImage& shownFrame() const { return m_shown; }
    // The part of the window the last tick asked to repaint; empty when nothing changed.
    QRect lastDirtyRect() const { return m_lastDirty; }
    const std::vector<QRect>& lastDirtyRects() const { return m_dirtyRects; }

    // Where the window lands after a move: within margin of a screen edge it touches the edge.
    static QPoint SnapToEdges(const QRect& window, const QRect& screen, int margin = 10);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // A close from the window manager (Alt+F4, the taskbar) is a quit: the question, then the
    // app's shutdown; Cancel keeps the window.
    void closeEvent(QCloseEvent* event) override;

private:
    void snapToScreen();
    // Sends the changed pixels straight to the window; false when Qt must repaint them.
    bool present();

    AppState& m_state;
    Engine& m_engine;
    TrackOps& m_ops;
    AppActions& m_actions;
    PlayerHooks m_hooks;
    MainWindowState m_window;
    MenuPanel m_menu;
    MenuCommands m_commands;
    MainFrame m_frame;
    MainTick m_tick;
    MainInput m_input;
    QImage m_shown;
    QImage m_scaledShown; // the frame scaled to the window's pixels between whole ratios
    QRect m_lastDirty;
    std::vector<QRect> m_dirtyRects;
    bool m_unseen = true; // no frame has been sent since the window was last out of sight
    std::function<void()> m_backInSight;
    // Window drag: the platform's move when it has one, else our own.
    bool m_systemMove = false;
    bool m_pollRelease = false; // the platform's move ends when the pointer's buttons are up
    bool m_manualMove = false;
    QPoint m_dragOffset;
    class QTimer* m_snapTimer = nullptr;
    class X11Presenter* m_presenter = nullptr;
};
