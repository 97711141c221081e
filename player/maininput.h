// The main window's mouse and key rules: buttons, menu entries, volume, mute, seeking, lyric
// line, command menu and keys 1..5. Positions are in the window's 300 x 150 pixel space.
#pragma once

#include <QPoint>
#include <QPointF>
#include <Qt>

#include <optional>

class AppActions;
class Engine;
class MenuCommands;
class MenuPanel;
class QWidget;
class TrackOps;
struct AppState;
struct MainWindowState;
struct PlayerHooks;

class MainInput {
public:
    // Where a press went; later moves and the release go to the same place.
    enum class Target { None, Window, Button, MenuEntry };
    enum class Outcome { Handled, MoveWindow };

    MainInput(AppState& state, Engine& engine, TrackOps& ops, AppActions& actions,
              MainWindowState& window, MenuPanel& menu, MenuCommands& commands,
              const PlayerHooks& hooks);

    // The lyric line as last drawn ("LyricLeft" and the width of "Label3").
    void setLyricLine(int left, int width);

    // A press of button at pos; globalPos places the command menu, parent owns message boxes.
    Outcome mouseDown(Qt::MouseButton button, QPointF pos, QPoint globalPos, QWidget* parent);
    // leftOnly: the left button alone is held.
    void mouseMove(bool leftOnly, QPointF pos);
    void mouseUp();
    // The wheel turned by angleDelta (Qt's eighths of a degree, positive away from the user):
    // each notch of 120 raises or lowers the volume by one, the drag's step; partial turns of a
    // fine wheel add up. A turn while muted ends the mute first.
    void wheel(int angleDelta);
    // Qt key code of the main keyboard; keypad keys never come here.
    void keyDown(int key);

    int lyricLeft() const { return m_lyricLeft; }
    int lyricWidth() const { return m_lyricWidth; }

private:
    void volumeDown(bool leftButton, QPointF pos);
    void releaseButton(int index);
    void toggleMute();

    AppState& m_state;
    Engine& m_engine;
    TrackOps& m_ops;
    AppActions& m_actions;
    MainWindowState& m_window;
    MenuPanel& m_menu;
    MenuCommands& m_commands;
    const PlayerHooks& m_hooks;
    Target m_target = Target::None;
    int m_targetIndex = 0;
    int m_lyricLeft = 0;
    int m_lyricWidth = 0;
    int m_wheelRest = 0; // part of a notch not yet turned into a volume step
};
