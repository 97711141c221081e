// The track operations every window uses: open, play, stop, pause, go to a row, next, previous.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

struct AppState;
class Engine;
class PlaylistModel;
class QWidget;

// The row random mode moves to: the next entry of the shuffled order List1, wrapping.
// Advances RandomPos. Returns 0 when List1 is empty.
int NextRandomRow(AppState& state, const PlaylistModel& playlist);

// Where the play mode goes when the current track ends: CurrentIndex and RandomPos after it, and
// whether that row plays (list order stops after the last row, with CurrentIndex back at 1).
struct RowAfter {
    int index = 0;
    int randomPos = 0;
    bool plays = false;
};
RowAfter RowAfterCurrent(const AppState& state, const PlaylistModel& playlist);

class TrackOps : public QObject {
    Q_OBJECT
public:
    TrackOps(AppState& state, Engine& engine, PlaylistModel& playlist, QObject* parent = nullptr);

    // Hands path to the engine and brings the state in line; does not start playback.
    void OpenTrack(const QString& path);
    // OpenTrack for the track the engine has open, to read its file again: playback goes on at the
    // same sample in the same state. False (nothing done) when the engine cannot re-open it.
    bool ReopenTrack(const QString& path);
    void PlayTrack();
    void StopTrack();
    void TogglePause();
    // Moves to row n (wrapping out-of-range numbers) and opens it; plays it when the engine was
    // playing (going on past rows that cannot be opened, as PlayCurrent does).
    void GoToTrack(int n);
    // The next/previous rules of the play mode (random mode steps through List1).
    void NextTrack();
    void PreviousTrack();
    // Play button and menu item: open row CurrentIndex again and play it (nothing on an empty
    // list or a CurrentIndex that names no row). A row that cannot be opened is named in a box
    // and the rows after it in play order are tried, once round the list at most.
    void PlayCurrent();
    // A double-click on row n: it becomes the current row and plays from its beginning
    // (nothing when n names no row).
    void PlayRow(int n);
    // Starts row 1 after a road filled an empty list (or added a folder): CurrentIndex = 1, open
    // it and play it.
    void StartRowOne();

    // Gapless play, each tick: once the engine asks, hands it the row the play mode chooses
    // after the current one, and hands it again whenever a playlist or play-mode change alters
    // that choice (none during a WAV conversion).
    void QueueNext();
    // Gapless play, each tick right after the engine is polled: when the engine says the row
    // handed over is heard, it becomes the current track (row mark, title, caption, lyrics).
    void FollowNext();

    // While on, opening a track keeps a mute (one remembered from the last run) instead of
    // ending it.
    void setKeepMuteOnOpen(bool on) { m_keepMuteOnOpen = on; }

    // The window that owns this object's message boxes ("Open Error", "error").
    void setMessageParent(QWidget* parent);

    AppState& state() { return m_state; }
    Engine& engine() { return m_engine; }
    PlaylistModel& playlist() { return m_playlist; }

Q_SIGNALS:
    // The main window's caption and the title area's tooltip changed to text.
    void captionChanged(const QString& text);
    // Row n became the current row and should be selected in the list view.
    void currentRowChanged(int n);

private:
    // The parts of bringing the state in line with an open track that a gapless join shares.
    void showTrackTag();
    // Fills the state's MPEG facts; false when an MPEG file has none (the open goes no further).
    bool takeMpegInfo(const QString& path);
    void loadLyrics(const QString& path);
    void makeCurrent(const QString& path);
    // A join heard since the last tick is followed before a transport button acts on the row.
    void catchUpWithEngine();
    // OpenTrack without the message: false (the state as it was, FileOpened false) when the
    // engine refuses the file.
    bool openQuietly(const QString& path);
    // Opens row CurrentIndex and plays it; a row that cannot be opened is named in one box after
    // the play went on with the next row in play order (once round the list at most; a list
    // where every row fails stops with their number).
    void openAndPlayCurrent();
    static QString openErrorText(const QStringList& paths);
    // OpenTrack from the engine's acceptance on (Engine::open or Engine::reopen).
    void takeOpenedTrack(const QString& path);

    AppState& m_state;
    Engine& m_engine;
    PlaylistModel& m_playlist;
    QPointer<QWidget> m_messageParent;
    bool m_keepMuteOnOpen = false;
};
