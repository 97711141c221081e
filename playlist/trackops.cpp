// Opening tracks in the engine and the transport rules of the play modes.
#include "trackops.h"

#include <QDir>

#include "engine/engine.h"
#include "engine/meta/audiofiletypes.h"
#include "engine/output/silentnotice.h"
#include "playlistmodel.h"
#include "settings/settingsstore.h"
#include "shell/cpath.h"
#include "shell/messagebox.h"
#include "shell/pathbytes.h"
#include "state/appstate.h"

#include <QDir>
#include <QWidget>

#include <cstring>
#include <set>
#include <utility>

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
    if (!openQuietly(path))
        ShowMessage(m_messageParent, openErrorText({path}), kAppTitle, QMessageBox::Warning,
                    QMessageBox::Ok);
}

bool TrackOps::openQuietly(const QString& path)
{
    // A refusal leaves the engine's track (and what the state says of it) as it was.
    InputInfo info;
    const int opened = m_engine.open(PathBytes(path).toStdString(), info);
    if (opened == 0) {
        m_state.FileOpened = false;
        return false;
    }
    m_state.InputInfo = info;
    // The engine forgets a successor on open (a re-open in place keeps it); it asks again near
    // the new track's end.
    m_state.Next = {};
    m_state.NextWanted.store(false);
    m_state.NextHeard.store(false);
    takeOpenedTrack(path);
    return true;
}

QString TrackOps::openErrorText(const QStringList& paths)
{
    // Each file is named whole on its own line (the box wraps long ones): a list may hold many
    // rows that fail, and a FIFO or a folder behind a name ending in .mp3 is refused at once.
    QString text = QStringLiteral("Open Error");
    for (const QString& path : paths)
        text += QLatin1Char('\n') + QDir::toNativeSeparators(path);
    return text;
}

void TrackOps::openAndPlayCurrent()
{
    // A row that cannot be opened is named and the play goes on with the row after it in play
    // order, once round the list at most.
    QStringList failed;
    std::set<int> tried;
    bool opened = false;
    while (!opened) {
        const QString path = m_playlist.rowPath(m_state.CurrentIndex);
        opened = openQuietly(path);
        if (opened)
            break;
        failed << path;
        tried.insert(m_state.CurrentIndex);
        const RowAfter after = RowAfterCurrent(m_state, m_playlist);
        if (!after.plays || tried.count(after.index) != 0)
            break;
        m_state.CurrentIndex = after.index;
        m_state.RandomPos = after.randomPos;
    }
    if (opened)
        PlayTrack();
    else
        StopTrack();
    if (failed.isEmpty())
        return;
    const QString text =
        static_cast<int>(tried.size()) == m_playlist.count() && failed.size() > 1
            ? QStringLiteral("Open Error\nプレイリストの%1個のファイルをどれも開けなかったため、"
                             "再生を止めました。")
                  .arg(failed.size())
            : openErrorText(failed);
    ShowMessage(m_messageParent, text, kAppTitle, QMessageBox::Warning, QMessageBox::Ok);
}

bool TrackOps::ReopenTrack(const QString& path)
{
    if (m_playlist.count() == 0)
        return false;
    InputInfo info;
    if (m_engine.reopen(PathBytes(path).toStdString(), info) == 0)
        return false;
    m_state.InputInfo = info;
    takeOpenedTrack(path);
    return true;
}

void TrackOps::takeOpenedTrack(const QString& path)
{
    m_state.FileOpened = true;
    // An end reported for the previous track (still unhandled, e.g. while a dialog was open)
    // must not skip the track just opened.
    m_state.PlayEnd.store(false);
    showTrackTag();
    if (!takeMpegInfo(path))
        return;
    if (m_state.OptionChanged) {
        m_state.OptionChanged = false;
        if (m_engine.setOption(m_state.InBlock, m_state.OutBlock, m_state.InSleep,
                               m_state.OutSleep) == 0)
            ShowMessage(m_messageParent,
                        QStringLiteral("再生エンジンが負荷設定を受け付けませんでした。\r") +
                            kLoadSettingsRule,
                        kAppTitle, QMessageBox::Warning, QMessageBox::Ok);
    }
    loadLyrics(path);
    if (m_state.Mute && m_keepMuteOnOpen) {
        m_engine.setVolume(0, 0);
    } else {
        m_state.Mute = false;
        m_engine.setVolume(m_state.Volume, m_state.Volume);
    }
    makeCurrent(path);
}

bool TrackOps::takeMpegInfo(const QString& path)
{
    if (m_engine.getMpegInfo(m_state.MpegInfo) != 0)
        return true;
    // Frame header facts exist for MPEG files only: an MPEG file without them only shows its
    // labels, every other format (named as one) is open all the same.
    const AudioFileType* type = AudioFileTypeOfName(PathBytes(path).toStdString());
    return type && std::strcmp(type->mimeType, "audio/mpeg") != 0;
}

void TrackOps::showTrackTag()
{
    // A track without a tag must not show the previous track's artist.
    m_state.TagInfo = {};
    m_engine.getTagInfo(m_state.TagInfo);
    m_state.ArtistLabel = trimmedTagText(m_state.TagInfo.artist);
    m_state.ShowInfo = true;
    // CurrentIndex 0 means row 1 here, as it does once the track is open; a number that names no
    // row gives no title.
    const int titleRow = m_state.CurrentIndex == 0 ? 1 : m_state.CurrentIndex;
    m_state.TitleLabel = m_playlist.rowText(titleRow);
}

void TrackOps::loadLyrics(const QString& path)
{
    cPath track;
    track.FileName = path;
    const QString lyricsPath = track.GetPath() + track.GetFileNameOnly() + QStringLiteral(".lrc");
    m_state.LyricsLoaded = m_engine.setLyricsFile(PathBytes(lyricsPath).toStdString()) != 0;
    // Without a file beside the track, lyrics kept in its tag (SYLT, or USLT with time stamps).
    if (!m_state.LyricsLoaded)
        m_state.LyricsLoaded = m_engine.setLyricsFile(PathBytes(path).toStdString()) != 0;
}

void TrackOps::makeCurrent(const QString& path)
{
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

void TrackOps::QueueNext()
{
    QueuedRow& next = m_state.Next;
    // Asked anew (the engine may have been opened again, as the tag editor does), the row is
    // handed over again; the engine keeps a successor it already has.
    const bool askedAnew = m_state.NextWanted.exchange(false);
    if (askedAnew)
        next.wanted = true;
    if (!next.wanted)
        return;
    int row = 0;
    QString path;
    RowAfter after;
    if (!m_state.Decoding) {
        after = RowAfterCurrent(m_state, m_playlist);
        if (after.plays) {
            row = after.index;
            path = m_playlist.rowPath(row);
        }
    }
    next.row = row;
    next.randomPos = after.randomPos;
    // The same file (or still none): what the engine holds stays right.
    if (path == next.path && !askedAnew)
        return;
    next.path = path;
    next.accepted = m_engine.setNextTrack(PathBytes(path).toStdString(), next.info) != 0;
}

void TrackOps::FollowNext()
{
    if (!m_state.NextHeard.exchange(false))
        return;
    const QueuedRow next = std::exchange(m_state.Next, QueuedRow{});
    if (next.path.isEmpty())
        return;
    // Rows moved since it was handed over: the row now holding its file.
    int row = next.row;
    if (m_playlist.rowPath(row) != next.path) {
        row = 0;
        for (int n = 1; n <= m_playlist.count() && row == 0; ++n)
            if (m_playlist.rowPath(n) == next.path)
                row = n;
    }
    if (row != 0)
        m_state.CurrentIndex = row;
    m_state.RandomPos = next.randomPos;
    m_state.InputInfo = next.info;
    m_state.FileOpened = true;
    showTrackTag();
    if (!takeMpegInfo(next.path))
        return;
    loadLyrics(next.path);
    makeCurrent(next.path);
}

void TrackOps::catchUpWithEngine()
{
    if (!m_state.Next.accepted)
        return;
    int32_t sec = 0;
    m_engine.getState(sec);
    FollowNext();
}

void TrackOps::PlayTrack()
{
    m_engine.play();
    m_state.Decoding = false;
    const std::string silent = TakeSilentOutputNotice();
    if (!silent.empty()) {
        ShowMessage(m_messageParent,
                    QStringLiteral("サウンドデバイスを開けませんでした。音は出ませんが、再生時間は"
                                   "進みます。\r（%1）")
                        .arg(QString::fromStdString(silent)),
                    kAppTitle, QMessageBox::Warning);
    }
}

void TrackOps::StopTrack()
{
    catchUpWithEngine();
    m_engine.stop();
    m_state.Decoding = false;
    // Stopped, nothing follows; the engine asks again near the end of the next play.
    m_state.Next = {};
    m_state.NextWanted.store(false);
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
    if (playing)
        openAndPlayCurrent();
    else
        OpenTrack(m_playlist.rowPath(m_state.CurrentIndex));
}

namespace {
// The next entry of List1 after randomPos, which moves to it; 0 when List1 is empty.
int ShuffledRowAfter(int& randomPos, const PlaylistModel& playlist)
{
    const int entries = static_cast<int>(playlist.List1.size());
    if (entries == 0)
        return 0;
    randomPos += 1;
    if (randomPos > entries || randomPos < 1)
        randomPos = 1;
    return playlist.List1[static_cast<size_t>(randomPos - 1)];
}
} // namespace

int NextRandomRow(AppState& state, const PlaylistModel& playlist)
{
    return ShuffledRowAfter(state.RandomPos, playlist);
}

RowAfter RowAfterCurrent(const AppState& state, const PlaylistModel& playlist)
{
    RowAfter after;
    after.index = state.CurrentIndex + 1;
    after.randomPos = state.RandomPos;
    switch (state.PlayMode) {
    case 0:
        if (after.index > playlist.count()) {
            after.index = 1;
            return after;
        }
        break;
    case 2: {
        // A shuffled order that was never built (or went stale) falls back to list order
        // rather than reading past its end.
        const int row = ShuffledRowAfter(after.randomPos, playlist);
        if (playlist.isValidRow(row))
            after.index = row;
        else if (after.index > playlist.count())
            after.index = 1;
        break;
    }
    case 3:
        after.index = state.CurrentIndex;
        break;
    default:
        if (after.index > playlist.count())
            after.index = 1;
        break;
    }
    after.plays = playlist.isValidRow(after.index);
    return after;
}

void TrackOps::NextTrack()
{
    catchUpWithEngine();
    m_state.CurrentIndex += 1;
    if (m_state.PlayMode == 2 && !m_playlist.List1.empty())
        m_state.CurrentIndex = NextRandomRow(m_state, m_playlist);
    GoToTrack(m_state.CurrentIndex);
}

void TrackOps::PreviousTrack()
{
    catchUpWithEngine();
    m_state.CurrentIndex -= 1;
    // Random mode has no way back: previous takes the next step of the shuffled order too.
    if (m_state.PlayMode == 2 && !m_playlist.List1.empty())
        m_state.CurrentIndex = NextRandomRow(m_state, m_playlist);
    GoToTrack(m_state.CurrentIndex);
}

void TrackOps::PlayCurrent()
{
    catchUpWithEngine();
    if (!m_playlist.isValidRow(m_state.CurrentIndex))
        return;
    openAndPlayCurrent();
}

void TrackOps::PlayRow(int n)
{
    if (!m_playlist.isValidRow(n))
        return;
    m_state.CurrentIndex = n;
    openAndPlayCurrent();
}

void TrackOps::StartRowOne()
{
    if (m_playlist.count() == 0)
        return;
    // CurrentIndex is set before the open so that the captions and the marker name row 1.
    m_state.CurrentIndex = 1;
    openAndPlayCurrent();
}
