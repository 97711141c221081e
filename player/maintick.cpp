// The steps of one main-window tick, in their fixed order.
#include "maintick.h"

#include "state/appstate.h"
#include "endoftrack.h"
#include "engine/engine.h"
#include "lyricsclock.h"
#include "mainframe.h"
#include "playlist/trackops.h"
#include "trayiconrule.h"

MainTick::MainTick(AppState& state, Engine& engine, PlaylistModel& playlist, TrackOps& ops,
                   MainWindowState& window, MainFrame& frame)
    : m_state(state), m_engine(engine), m_playlist(playlist), m_ops(ops), m_window(window),
      m_frame(frame)
{
}

void MainTick::run(bool drawFrame)
{
    int32_t sec = 0;
    const int engineState = m_engine.getState(sec);
    // A successor heard from this poll on is the current track before anything shows a title.
    m_ops.FollowNext();
    if (m_tray)
        UpdateTrayIcon(*m_tray, m_window, engineState, sec, m_state.TaskBarAni, m_state.TitleLabel);
    if (m_state.LyricsEditOpen)
        updateLyricsClock();
    ApplyEndOfTrack(m_state, m_playlist, m_ops);
    m_ops.QueueNext();
    if (drawFrame)
        m_frame.compose(engineState, sec);
}

void MainTick::updateLyricsClock()
{
    if (!m_lyricsClock)
        return;
    if (m_lyricsClock->editedFile() != m_state.CurrentFile) {
        m_lyricsClock->setClockText(LyricsOtherFileText());
        return;
    }
    m_lyricsClock->setClockText(LyricsClockText(m_engine.getPlayMs()));
}
