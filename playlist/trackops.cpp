// Opening tracks in the engine and the transport rules of the play modes.
#include "trackops.h"

#include "app/appstate.h"
#include "engine/engine.h"
#include "playlistmodel.h"
#include "shell/cpath.h"
#include "shell/messagebox.h"

#include <QWidget>

namespace {
// Tag texts may carry the padding of fixed-width fields.
QString trimmedTagText(const std::string& text)
{
    QString out = QString::fromStdString(text);
    while (!out.isEmpty() && (out.back() == QLatin1Char(' ') || out.back() == QChar(0)))
        out.chop(1);
    return out;
}
} // namespace

TrackOps::TrackOps(AppState& state, Engine& engine, PlaylistModel& playlist, QObject* parent)
    : QObject(parent), m_state(state), m_engine(engine), m_playlist(playlist)
{
}

void TrackOps::setMessageParent(QWidget* parent)
{
    m_messageParent = parent;
}

void TrackOps::OpenTrack(const QString& path)
{
    if (m_playlist.count() == 0)
        return;
    takeOpenedTrack(path, m_engine.open(path.toStdString(), m_state.InputInfo));
}

bool TrackOps::ReopenTrack(const QString& path)
{
    if (m_playlist.count() == 0)
        return false;
    InputInfo info;
    if (m_engine.reopen(path.toStdString(), info) == 0)
        return false;
    m_state.InputInfo = info;
    takeOpenedTrack(path, 1);
    return true;
}

void TrackOps::takeOpenedTrack(const QString& path, int opened)
{
    if (opened == 0) {
        ShowMessage(m_messageParent, QStringLiteral("Open Error"), kAppTitle, QMessageBox::NoIcon,
                    QMessageBox::Ok);
        m_state.FileOpened = false;
        return;
    }
    m_state.FileOpened = true;
    // An end reported for the previous track (still unhandled, e.g. while a dialog was open)
    // must not skip the track just opened.
    m_state.PlayEnd.store(false);
    // A track without a tag must not show the previous track's artist.
    m_state.TagInfo = {};
    m_engine.getTagInfo(m_state.TagInfo);
    m_state.ArtistLabel = trimmedTagText(m_state.TagInfo.artist);
    m_state.ShowInfo = true;
    // CurrentIndex 0 means row 1 here, as it does once the track is open; a number that names no
    // row gives no title.
    const int titleRow = m_state.CurrentIndex == 0 ? 1 : m_state.CurrentIndex;
    m_state.TitleLabel = m_playlist.rowText(titleRow);

    if (m_engine.getMpegInfo(m_state.MpegInfo) == 0)
        return;
    if (m_state.OptionChanged) {
        m_state.OptionChanged = false;
        if (m_engine.setOption(m_state.InBlock, m_state.OutBlock, m_state.InSleep,
                               m_state.OutSleep) == 0)
            ShowMessage(m_messageParent, QStringLiteral("error"), kAppTitle, QMessageBox::NoIcon,
                        QMessageBox::Ok);
    }
    cPath track;
    track.FileName = path;
    const QString lyricsPath = track.GetPath() + track.GetFileNameOnly() + QStringLiteral(".lrc");
    m_state.LyricsLoaded = m_engine.setLyricsFile(lyricsPath.toStdString()) != 0;
    if (m_state.Mute)
        m_state.Mute = false;
    m_engine.setVolume(m_state.Volume, m_state.Volume);

    if (m_engine.getMpegInfo(m_state.MpegInfo) == 0)
        return;
    m_state.CurrentFile = path;
    if (m_state.CurrentIndex == 0)
        m_state.CurrentIndex = 1;
    const QString title = m_playlist.rowText(m_state.CurrentIndex);
    m_state.CurrentTitle = title;
    Q_EMIT captionChanged(title);
    m_state.TitlePos = 0;
    m_state.TitleReset = true;
    m_playlist.markCurrent(m_state.CurrentIndex);
    if (m_playlist.isValidRow(m_state.CurrentIndex))
        Q_EMIT currentRowChanged(m_state.CurrentIndex);
}

void TrackOps::PlayTrack()
{
    m_engine.play();
    m_state.Decoding = false;
}

void TrackOps::StopTrack()
{
    m_engine.stop();
    m_state.Decoding = false;
}

void TrackOps::TogglePause()
{
    int32_t sec = 0;
    const int engineState = m_engine.getState(sec);
    if (engineState == 1)
        m_engine.pause();
    else if (engineState == 2)
        m_engine.restart();
}

void TrackOps::GoToTrack(int n)
{
    const int rows = m_playlist.count();
    if (rows == 0) {
        StopTrack();
        m_state.CurrentFile.clear();
        m_state.CurrentTitle.clear();
        return;
    }
    if (n > rows)
        m_state.CurrentIndex = 1;
    else if (n < 1)
        m_state.CurrentIndex = rows;
    else
        m_state.CurrentIndex = n;
    int32_t sec = 0;
    const bool playing = m_engine.getState(sec) == 1;
    OpenTrack(m_playlist.rowPath(m_state.CurrentIndex));
    if (playing)
        PlayTrack();
}

int NextRandomRow(AppState& state, const PlaylistModel& playlist)
{
    const int entries = static_cast<int>(playlist.List1.size());
    if (entries == 0)
        return 0;
    state.RandomPos += 1;
    if (state.RandomPos > entries || state.RandomPos < 1)
        state.RandomPos = 1;
    return playlist.List1[static_cast<size_t>(state.RandomPos - 1)];
}

void TrackOps::NextTrack()
{
    m_state.CurrentIndex += 1;
    if (m_state.PlayMode == 2 && !m_playlist.List1.empty())
        m_state.CurrentIndex = NextRandomRow(m_state, m_playlist);
    GoToTrack(m_state.CurrentIndex);
}

void TrackOps::PreviousTrack()
{
    m_state.CurrentIndex -= 1;
    // Random mode has no way back: previous takes the next step of the shuffled order too.
    if (m_state.PlayMode == 2 && !m_playlist.List1.empty())
        m_state.CurrentIndex = NextRandomRow(m_state, m_playlist);
    GoToTrack(m_state.CurrentIndex);
}

void TrackOps::PlayCurrent()
{
    if (!m_playlist.isValidRow(m_state.CurrentIndex))
        return;
    OpenTrack(m_playlist.rowPath(m_state.CurrentIndex));
    PlayTrack();
}

void TrackOps::PlayRow(int n)
{
    if (!m_playlist.isValidRow(n))
        return;
    m_state.CurrentIndex = n;
    OpenTrack(m_playlist.rowPath(n));
    PlayTrack();
}

void TrackOps::StartRowOne()
{
    if (m_playlist.count() == 0)
        return;
    // CurrentIndex is set before the open so that the captions and the marker name row 1.
    m_state.CurrentIndex = 1;
    OpenTrack(m_playlist.rowPath(1));
    PlayTrack();
}
