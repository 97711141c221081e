// Mouse and key rules of the main window.
#include "maininput.h"

#include "state/actions.h"
#include "state/appstate.h"
#include "engine/engine.h"
#include "hotareas.h"
#include "mainwindowstate.h"
#include "menucommands.h"
#include "menupanel.h"
#include "playerhooks.h"
#include "playlist/trackops.h"
#include "visual/rounding.h"

#include <QtGlobal>

namespace {

int SeekPosAt(double y)
{
    return qBound(0, RoundEven(80.0 - y), 60);
}

} // namespace

MainInput::MainInput(AppState& state, Engine& engine, TrackOps& ops, AppActions& actions,
                     MainWindowState& window, MenuPanel& menu, MenuCommands& commands,
                     const PlayerHooks& hooks)
    : m_state(state), m_engine(engine), m_ops(ops), m_actions(actions), m_window(window),
      m_menu(menu), m_commands(commands), m_hooks(hooks)
{
}

void MainInput::setLyricLine(int left, int width)
{
    m_lyricLeft = left;
    m_lyricWidth = width;
}

MainInput::Outcome MainInput::mouseDown(Qt::MouseButton button, QPointF pos, QPoint globalPos,
                                        QWidget* parent)
{
    const bool left = button == Qt::LeftButton;
    if (const auto index = ButtonAt(pos)) {
        m_target = Target::Button;
        m_targetIndex = *index;
        m_window.ButtonDown[*index] = true;
        return Outcome::Handled;
    }
    if (const auto entry = MenuEntryAt(pos)) {
        m_target = Target::MenuEntry;
        m_targetIndex = *entry;
        if (button == Qt::RightButton)
            return Outcome::Handled;
        if (const auto command = m_menu.press(*entry))
            m_commands.run(m_menu.MenuPage, *command, parent);
        return Outcome::Handled;
    }
    m_target = Target::Window;
    if (InVolumeArea(pos)) {
        volumeDown(left, pos);
        return Outcome::Handled;
    }
    if (InPositionBar(pos)) {
        m_window.Seeking = true;
        m_window.SeekPos = SeekPosAt(pos.y());
        return Outcome::Handled;
    }
    if (left && OnLyricLine(pos, m_lyricLeft, m_lyricWidth)) {
        m_state.LyricsEditOpen = true;
        m_actions.showToolWindow(ToolWindow::LyricsEditor);
        return Outcome::Handled;
    }
    if (!left) {
        m_actions.showCommandMenu(globalPos);
        return Outcome::Handled;
    }
    return Outcome::MoveWindow;
}

void MainInput::volumeDown(bool leftButton, QPointF pos)
{
    if (!leftButton) {
        toggleMute();
        return;
    }
    if (m_state.Mute) {
        m_state.Mute = false;
        m_engine.setVolume(m_state.MuteVolume, m_state.MuteVolume);
    }
    m_window.VolDrag = true;
    m_window.DragStartX = RoundEven(pos.x());
    m_window.DragStartVol = m_state.Volume;
}

void MainInput::toggleMute()
{
    if (m_state.Mute) {
        m_state.Mute = false;
        m_engine.setVolume(m_state.MuteVolume, m_state.MuteVolume);
    } else {
        m_state.Mute = true;
        m_state.MuteVolume = m_state.Volume;
        m_engine.setVolume(0, 0);
    }
}

void MainInput::mouseMove(bool leftOnly, QPointF pos)
{
    if (m_target == Target::Button)
        return;
    if (m_target == Target::MenuEntry) {
        m_menu.hover(m_targetIndex);
        return;
    }
    if (m_target == Target::None) {
        if (const auto entry = MenuEntryAt(pos)) {
            m_menu.hover(*entry);
            return;
        }
        if (ButtonAt(pos))
            return;
    }
    if (leftOnly && m_window.VolDrag) {
        const double volume = m_window.DragStartX - pos.x() + m_window.DragStartVol;
        m_state.Volume = qBound(0, RoundEven(volume), 100);
        m_engine.setVolume(m_state.Volume, m_state.Volume);
    }
    if (m_window.Seeking)
        m_window.SeekPos = SeekPosAt(pos.y());
    m_window.LyricHover = OnLyricLine(pos, m_lyricLeft, m_lyricWidth);
}

void MainInput::mouseUp()
{
    const Target target = m_target;
    m_target = Target::None;
    if (target == Target::Button) {
        releaseButton(m_targetIndex);
        return;
    }
    if (target == Target::MenuEntry)
        return;
    m_window.VolDrag = false;
    if (m_window.Seeking) {
        m_window.Seeking = false;
        const int totalSec = m_state.InputInfo.totalSec;
        m_engine.seek(RoundEven(m_window.SeekPos * static_cast<double>(totalSec) / 60.0));
    }
}

void MainInput::wheel(int angleDelta)
{
    constexpr int kNotch = 120;
    // A turn against the rest left over starts afresh, so a reversal acts at once.
    if ((angleDelta > 0 && m_wheelRest < 0) || (angleDelta < 0 && m_wheelRest > 0))
        m_wheelRest = 0;
    m_wheelRest += angleDelta;
    const int steps = m_wheelRest / kNotch;
    if (steps == 0)
        return;
    m_wheelRest -= steps * kNotch;
    if (m_state.Mute)
        m_state.Mute = false;
    m_state.Volume = qBound(0, m_state.Volume + steps, 100);
    m_engine.setVolume(m_state.Volume, m_state.Volume);
}

void MainInput::releaseButton(int index)
{
    m_window.ButtonDown[index] = false;
    switch (index) {
    case 0:
        m_ops.PlayCurrent();
        break;
    case 1:
        m_ops.StopTrack();
        break;
    case 2:
        m_ops.TogglePause();
        break;
    case 3:
        m_ops.NextTrack();
        break;
    case 4:
        m_ops.PreviousTrack();
        break;
    case 6:
        m_actions.hideWindows();
        break;
    case 5:
    case 7:
        m_actions.quitApp();
        break;
    default:
        break;
    }
}

void MainInput::keyDown(int key)
{
    if (key >= Qt::Key_1 && key <= Qt::Key_5 && m_hooks.addFromShortcut)
        m_hooks.addFromShortcut(key);
}
