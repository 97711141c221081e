// The MPRIS2 service: properties read from the program-wide state and the engine, methods
// carried out with the track operations, changes found by comparing snapshots in the tick.
#include "mpris.h"

#include <limits>

#include "mprisadaptors.h"

#include "engine/engine.h"
#include "playlist/playlistmodel.h"
#include "playlist/trackops.h"
#include "shell/pathbytes.h"
#include "state/actions.h"
#include "state/appstate.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
// A position further than this from where playing on would have taken it is a jump.
constexpr qlonglong kJumpToleranceMs = 1500;
constexpr qint64 kPollIntervalMs = 100;

QString text(const std::string& s)
{
    return QString::fromStdString(s).trimmed();
}
} // namespace

MprisService::MprisService(AppState& state, Engine& engine, TrackOps& ops, PlaylistModel& playlist,
                           AppActions& actions, MprisHooks hooks, QObject* parent)
    : QObject(parent), m_state(state), m_engine(engine), m_ops(ops), m_playlist(playlist),
      m_actions(actions), m_hooks(std::move(hooks))
{
    new MprisRootAdaptor(*this, this);
    m_player = new MprisPlayerAdaptor(*this, this);
}

MprisService::~MprisService()
{
    if (!m_started)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QString::fromLatin1(kObjectPath));
    bus.unregisterService(m_serviceName);
}

bool MprisService::start()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "morvane: no session bus, media keys and player widgets will not "
                             "see Morvane\n");
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(kObjectPath), this)) {
        std::fprintf(stderr, "morvane: the media player interface could not be registered\n");
        return false;
    }
    // Another Morvane (another settings folder) may hold the plain name already.
    m_serviceName = QString::fromLatin1(kServiceName);
    if (!bus.registerService(m_serviceName)) {
        m_serviceName += QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!bus.registerService(m_serviceName)) {
            bus.unregisterObject(QString::fromLatin1(kObjectPath));
            std::fprintf(stderr, "morvane: the media player name could not be taken on the "
                                 "session bus\n");
            return false;
        }
    }
    m_started = true;
    m_last = snapshot();
    m_lastPositionMs = m_engine.getPlayMs();
    m_lastPositionClock.start();
    return true;
}

int MprisService::engineState() const
{
    int32_t sec = 0;
    return m_engine.getState(sec);
}

QString MprisService::playbackStatus() const
{
    switch (engineState()) {
    case 1:
        return QStringLiteral("Playing");
    case 2:
        return QStringLiteral("Paused");
    default:
        return QStringLiteral("Stopped");
    }
}

QString MprisService::loopStatus() const
{
    switch (m_state.PlayMode) {
    case 0:
        return QStringLiteral("None");
    case 3:
        return QStringLiteral("Track");
    case 2:
        return m_loopBeforeShuffle == 0   ? QStringLiteral("None")
               : m_loopBeforeShuffle == 3 ? QStringLiteral("Track")
                                          : QStringLiteral("Playlist");
    default:
        return QStringLiteral("Playlist");
    }
}

void MprisService::setPlayMode(int mode)
{
    m_state.PlayMode = mode;
    if (mode == 2)
        m_playlist.MakeRandomOrder();
}

void MprisService::setLoopStatus(const QString& status)
{
    int mode = -1;
    if (status == QLatin1String("None"))
        mode = 0;
    else if (status == QLatin1String("Playlist"))
        mode = 1;
    else if (status == QLatin1String("Track"))
        mode = 3;
    if (mode < 0)
        return;
    // The play mode is one value: a loop choice ends random play.
    m_loopBeforeShuffle = mode;
    setPlayMode(mode);
}

bool MprisService::shuffle() const
{
    return m_state.PlayMode == 2;
}

void MprisService::setShuffle(bool on)
{
    if (on == shuffle())
        return;
    if (on) {
        m_loopBeforeShuffle = m_state.PlayMode;
        setPlayMode(2);
    } else {
        setPlayMode(m_loopBeforeShuffle == 2 ? 1 : m_loopBeforeShuffle);
    }
}

double MprisService::volume() const
{
    return m_state.Mute ? 0.0 : m_state.Volume / 100.0;
}

void MprisService::setVolume(double volume)
{
    if (!std::isfinite(volume))
        return;
    m_state.Volume = static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100.0));
    m_state.Mute = false;
    m_engine.setVolume(m_state.Volume, m_state.Volume);
}

bool MprisService::trackLoaded() const
{
    // As the main window shows it: a track stays while it plays, even from an emptied list, and
    // a stopped one goes with the list.
    return m_state.FileOpened && !m_state.CurrentFile.isEmpty() &&
           (m_playlist.count() > 0 || engineState() != 0);
}

qlonglong MprisService::positionUs() const
{
    if (!trackLoaded())
        return 0;
    return static_cast<qlonglong>(m_engine.getPlayMs()) * 1000;
}

qlonglong MprisService::lengthUs() const
{
    const InputInfo& info = m_state.InputInfo;
    return info.lengthMs > 0 ? static_cast<qlonglong>(info.lengthMs) * 1000
                             : static_cast<qlonglong>(info.totalSec) * 1000000;
}

QString MprisService::trackFile() const
{
    if (!trackLoaded())
        return {};
    return m_state.CurrentFile + QLatin1Char('\n') + QString::number(m_state.CurrentIndex);
}

QString MprisService::trackKey() const
{
    const QString file = trackFile();
    return file.isEmpty() ? file : file + QLatin1Char('\n') + m_state.CurrentTitle;
}

QDBusObjectPath MprisService::trackId() const
{
    const QString key = trackKey();
    if (key.isEmpty())
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    // Numbered when first asked for, so a caller never sees the previous track's id with the
    // new track's data.
    if (key != m_trackNumberKey) {
        m_trackNumberKey = key;
        ++m_trackNumber;
    }
    return QDBusObjectPath(QStringLiteral("/org/morvane/track/%1").arg(m_trackNumber));
}

QVariantMap MprisService::metadata() const
{
    QVariantMap map;
    if (trackKey().isEmpty())
        return map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId()));
    map.insert(QStringLiteral("mpris:length"), lengthUs());
    QString title = text(m_state.TagInfo.title);
    if (title.isEmpty())
        title = m_state.CurrentTitle;
    map.insert(QStringLiteral("xesam:title"), title);
    const QString artist = text(m_state.TagInfo.artist);
    if (!artist.isEmpty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{artist});
    const QString album = text(m_state.TagInfo.album);
    if (!album.isEmpty())
        map.insert(QStringLiteral("xesam:album"), album);
    // The name's own bytes, so that a Shift-JIS name gives a URL that opens the file.
    map.insert(QStringLiteral("xesam:url"),
               QString::fromLatin1(QByteArrayLiteral("file://") +
                                   PathBytes(m_state.CurrentFile).toPercentEncoding("/")));
    return map;
}

bool MprisService::canGoNext() const
{
    return m_playlist.count() > 0;
}
bool MprisService::canPlay() const
{
    // A track that plays on after its list was emptied can still be paused and stopped.
    return m_playlist.count() > 0 || engineState() != 0;
}
bool MprisService::canSeek() const
{
    return trackLoaded() && lengthUs() > 0;
}

void MprisService::raise()
{
    m_actions.restoreWindows();
}

void MprisService::quit()
{
    if (m_hooks.quit)
        m_hooks.quit();
}

void MprisService::play()
{
    switch (engineState()) {
    case 2:
        m_ops.TogglePause();
        break;
    case 0:
        m_ops.PlayCurrent();
        break;
    default:
        break;
    }
}

void MprisService::pause()
{
    if (engineState() == 1)
        m_ops.TogglePause();
}

void MprisService::playPause()
{
    if (engineState() == 0)
        m_ops.PlayCurrent();
    else
        m_ops.TogglePause();
}

void MprisService::stop()
{
    m_ops.StopTrack();
}
void MprisService::next()
{
    m_ops.NextTrack();
}
void MprisService::previous()
{
    m_ops.PreviousTrack();
}

void MprisService::seek(qlonglong offsetUs)
{
    if (!canSeek())
        return;
    // Any client may send any 64-bit offset: the sum saturates instead of overflowing. Past
    // the end goes to the next track, before the start to the start.
    const qlonglong position = positionUs();
    const qlonglong target = offsetUs > std::numeric_limits<qlonglong>::max() - position
                                 ? std::numeric_limits<qlonglong>::max()
                                 : position + offsetUs;
    if (target >= lengthUs()) {
        next();
        return;
    }
    seekTo(std::max<qlonglong>(0, target) / 1000);
}

void MprisService::setPosition(const QDBusObjectPath& id, qlonglong positionUs)
{
    if (!canSeek() || id != trackId() || positionUs < 0 || positionUs > lengthUs())
        return;
    seekTo(positionUs / 1000);
}

void MprisService::seekTo(qlonglong ms)
{
    const qlonglong beforeUs = positionUs();
    m_engine.seekMs(ms);
    const qlonglong afterUs = positionUs();
    // Said at once: the tick's jump check could miss a seek that follows a change of track
    // within one poll. The check then starts from here, so the seek is not said twice. Said
    // only when the position the player reports did move (a stopped track keeps its place).
    m_last.trackFile = trackFile();
    m_lastPositionMs = afterUs / 1000;
    m_lastPositionClock.restart();
    if (afterUs != beforeUs)
        Q_EMIT m_player->Seeked(afterUs);
}

void MprisService::openUri(const QString& uri)
{
    const QUrl url(uri);
    const QString path = url.isLocalFile() ? url.toLocalFile() : uri;
    if (path.isEmpty() || !QFileInfo(path).isAbsolute() || !m_hooks.openFiles)
        return;
    m_hooks.openFiles({path});
}

MprisService::Snapshot MprisService::snapshot() const
{
    Snapshot s;
    s.status = playbackStatus();
    s.loop = loopStatus();
    s.shuffle = shuffle();
    s.volume = volume();
    s.canGoNext = canGoNext();
    s.canPlay = canPlay();
    s.canSeek = canSeek();
    s.trackKey = trackKey();
    s.trackFile = trackFile();
    return s;
}

void MprisService::poll()
{
    // The tick comes fifty times a second; a tenth of a second is soon enough for a desktop.
    if (!m_started || (m_pollClock.isValid() && m_pollClock.elapsed() < kPollIntervalMs))
        return;
    m_pollClock.start();
    Snapshot now = snapshot();

    QVariantMap changed;
    if (now.status != m_last.status)
        changed.insert(QStringLiteral("PlaybackStatus"), now.status);
    if (now.loop != m_last.loop)
        changed.insert(QStringLiteral("LoopStatus"), now.loop);
    if (now.shuffle != m_last.shuffle)
        changed.insert(QStringLiteral("Shuffle"), now.shuffle);
    if (now.volume != m_last.volume)
        changed.insert(QStringLiteral("Volume"), now.volume);
    if (now.canGoNext != m_last.canGoNext) {
        changed.insert(QStringLiteral("CanGoNext"), now.canGoNext);
        changed.insert(QStringLiteral("CanGoPrevious"), now.canGoNext);
    }
    if (now.canPlay != m_last.canPlay) {
        changed.insert(QStringLiteral("CanPlay"), now.canPlay);
        changed.insert(QStringLiteral("CanPause"), now.canPlay);
    }
    if (now.canSeek != m_last.canSeek)
        changed.insert(QStringLiteral("CanSeek"), now.canSeek);
    if (now.trackKey != m_last.trackKey)
        changed.insert(QStringLiteral("Metadata"), metadata());

    // A jump: the position is not where playing on (or standing still) would have taken it. The
    // title may arrive a tick after the track, so only the file and row say it is the same track.
    const qlonglong positionMs = positionUs() / 1000;
    const qlonglong elapsedMs = m_lastPositionClock.restart();
    const qlonglong expectedMs =
        m_lastPositionMs + (m_last.status == QLatin1String("Playing") ? elapsedMs : 0);
    const bool jumped = now.trackFile == m_last.trackFile && !now.trackFile.isEmpty() &&
                        std::llabs(positionMs - expectedMs) > kJumpToleranceMs;
    m_lastPositionMs = positionMs;
    m_last = std::move(now);

    if (!changed.isEmpty()) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"));
        signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList();
        QDBusConnection::sessionBus().send(signal);
    }
    if (jumped)
        Q_EMIT m_player->Seeked(positionMs * 1000);
}
