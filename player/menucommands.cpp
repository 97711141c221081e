// What each entry of the menu panel does.
#include "menucommands.h"

#include "state/actions.h"
#include "state/appstate.h"
#include "engine/engine.h"
#include "playlist/playlistmodel.h"
#include "shell/messagebox.h"

const char* const MenuCommands::kStoppedOnlyMessage = "この機能は停止中のみ利用できます！";
const char* const MenuCommands::kNoFileMessage =
    "ファイルが読み込まれていないため\nこのウィンドウは開けません!";

MenuCommands::MenuCommands(AppState& state, Engine& engine, PlaylistModel& playlist,
                           AppActions& actions)
    : m_state(state), m_engine(engine), m_actions(actions), m_playlist(playlist)
{
}

void MenuCommands::run(int page, int entry, QWidget* parent)
{
    switch (page * 10 + entry) {
    case 1:
        m_actions.showPlaylist();
        m_state.ListVisible = true;
        break;
    case 2:
        nextPlayMode();
        break;
    case 3:
        m_actions.showToolWindow(ToolWindow::Equalizer);
        break;
    case 11:
        m_state.LyricsEditOpen = true;
        m_actions.showToolWindow(ToolWindow::LyricsEditor);
        break;
    case 12:
        convertToWav(parent);
        break;
    case 13:
        m_actions.showToolWindow(ToolWindow::ShortPath);
        break;
    case 21:
        m_engine.fadeOut();
        break;
    case 22:
        toggleFadeIn();
        break;
    case 23:
        editTag(parent);
        break;
    case 31:
        m_actions.showToolWindow(ToolWindow::Settings);
        break;
    case 32:
        m_actions.openFileManager();
        break;
    case 33:
        m_actions.showToolWindow(ToolWindow::Version);
        break;
    case 41:
        m_actions.showToolWindow(ToolWindow::Document);
        break;
    case 42:
        m_actions.openHelp();
        break;
    case 43:
        m_actions.showToolWindow(ToolWindow::Pitch);
        break;
    default:
        break;
    }
}

void MenuCommands::nextPlayMode()
{
    m_state.PlayMode = m_state.PlayMode >= 3 || m_state.PlayMode < 0 ? 0 : m_state.PlayMode + 1;
    if (m_state.PlayMode == 2)
        m_playlist.MakeRandomOrder();
}

void MenuCommands::convertToWav(QWidget* parent)
{
    int32_t sec = 0;
    if (m_engine.getState(sec) != 0 || !m_state.FileOpened) {
        ShowMessage(parent, QString::fromUtf8(kStoppedOnlyMessage));
        return;
    }
    m_actions.showToolWindow(ToolWindow::Decoding);
    m_actions.setMainWindowsEnabled(false);
}

void MenuCommands::toggleFadeIn()
{
    m_state.FadeIn = !m_state.FadeIn;
    m_engine.setFadeIn(m_state.FadeIn ? 1 : 0);
}

void MenuCommands::editTag(QWidget* parent)
{
    if (m_state.CurrentFile.isEmpty()) {
        ShowMessage(parent, QString::fromUtf8(kNoFileMessage));
        return;
    }
    m_actions.showToolWindow(ToolWindow::TagEditor);
}
