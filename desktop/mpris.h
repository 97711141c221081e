// The MPRIS2 media-player interface on the session bus (org.mpris.MediaPlayer2.morvane): media
// keys, desktop media widgets and playerctl see and drive the player through the same
// operations the windows use.
//
// UI thread only: Qt D-Bus delivers calls through the event loop, and poll() runs in the tick.
#pragma once

#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <QElapsedTimer>

#include <functional>

struct AppState;
class AppActions;
class Engine;
class PlaylistModel;
class TrackOps;
class MprisPlayerAdaptor;

// What the interface needs from the program besides the track operations.
struct MprisHooks {
    std::function<void()> quit;                        // ends without a question, keeping the list
    std::function<void(const QStringList&)> openFiles; // absolute paths, as a second start's
};

class MprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.morvane";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    MprisService(AppState& state, Engine& engine, TrackOps& ops, PlaylistModel& playlist,
                 AppActions& actions, MprisHooks hooks, QObject* parent = nullptr);
    ~MprisService() override;

    // Takes the bus name (a per-process name when another player of ours holds it). False,
    // with one line on stderr, where there is no session bus.
    bool start();
    // Tells the bus what changed since the last call: PropertiesChanged with the changed keys
    // only, Seeked after a jump of the position. Cheap when nothing changed.
    void poll();

    // org.mpris.MediaPlayer2
    void raise();
    void quit();
    // org.mpris.MediaPlayer2.Player
    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void seek(qlonglong offsetUs);
    void setPosition(const QDBusObjectPath& trackId, qlonglong positionUs);
    void openUri(const QString& uri);

    QString playbackStatus() const;
    QString loopStatus() const;
    void setLoopStatus(const QString& status);
    bool shuffle() const;
    void setShuffle(bool on);
    double volume() const;
    void setVolume(double volume);
    qlonglong positionUs() const;
    QVariantMap metadata() const;
    bool canGoNext() const;
    bool canPlay() const;
    bool canSeek() const;

private:
    struct Snapshot {
        QString status;
        QString loop;
        bool shuffle = false;
        double volume = 0;
        bool canGoNext = false;
        bool canPlay = false;
        bool canSeek = false;
        QString trackKey;  // changes whenever another track is open or its title changes
        QString trackFile; // changes only when another track is open
    };
    Snapshot snapshot() const;
    void seekTo(qlonglong ms);
    QString trackFile() const; // the open file and its row
    QString trackKey() const;  // and its title
    QDBusObjectPath trackId() const;
    qlonglong lengthUs() const;
    bool trackLoaded() const; // a track the player shows, whatever the list holds
    int engineState() const;
    void setPlayMode(int mode);

    AppState& m_state;
    Engine& m_engine;
    TrackOps& m_ops;
    PlaylistModel& m_playlist;
    AppActions& m_actions;
    MprisHooks m_hooks;
    MprisPlayerAdaptor* m_player = nullptr;
    bool m_started = false;
    QString m_serviceName;
    Snapshot m_last;
    mutable int m_trackNumber = 0; // part of the track id; counts the tracks opened
    mutable QString m_trackNumberKey;
    // The position and when it was read, to tell a jump from playing on.
    qlonglong m_lastPositionMs = 0;
    QElapsedTimer m_lastPositionClock;
    QElapsedTimer m_pollClock;
    int m_loopBeforeShuffle = 1;
};
