// Each adaptor method forwards to the service.
#include "mprisadaptors.h"

#include "engine/meta/audiofiletypes.h"
#include "mpris.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService& service, QObject* object)
    : QDBusAbstractAdaptor(object), m_service(service)
{
}

QString MprisRootAdaptor::identity() const { return QStringLiteral("Morvane"); }
QString MprisRootAdaptor::desktopEntry() const { return QStringLiteral("morvane"); }
QStringList MprisRootAdaptor::supportedUriSchemes() const { return {QStringLiteral("file")}; }
QStringList MprisRootAdaptor::supportedMimeTypes() const
{
    // Every audio format the engine plays, then the playlist file.
    QStringList types;
    for (const AudioFileType& type : kAudioFileTypes)
        if (*type.mimeType != '\0')
            types << QString::fromLatin1(type.mimeType);
    return types << QStringLiteral("audio/x-mpegurl") << QStringLiteral("audio/mpegurl");
}
void MprisRootAdaptor::Raise() { m_service.raise(); }
void MprisRootAdaptor::Quit() { m_service.quit(); }

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service, QObject* object)
    : QDBusAbstractAdaptor(object), m_service(service)
{
}

QString MprisPlayerAdaptor::playbackStatus() const { return m_service.playbackStatus(); }
QString MprisPlayerAdaptor::loopStatus() const { return m_service.loopStatus(); }
void MprisPlayerAdaptor::setLoopStatus(const QString& status) { m_service.setLoopStatus(status); }
bool MprisPlayerAdaptor::shuffle() const { return m_service.shuffle(); }
void MprisPlayerAdaptor::setShuffle(bool on) { m_service.setShuffle(on); }
QVariantMap MprisPlayerAdaptor::metadata() const { return m_service.metadata(); }
double MprisPlayerAdaptor::volume() const { return m_service.volume(); }
void MprisPlayerAdaptor::setVolume(double volume) { m_service.setVolume(volume); }
qlonglong MprisPlayerAdaptor::position() const { return m_service.positionUs(); }
bool MprisPlayerAdaptor::canGoNext() const { return m_service.canGoNext(); }
bool MprisPlayerAdaptor::canPlay() const { return m_service.canPlay(); }
bool MprisPlayerAdaptor::canSeek() const { return m_service.canSeek(); }
void MprisPlayerAdaptor::Next() { m_service.next(); }
void MprisPlayerAdaptor::Previous() { m_service.previous(); }
void MprisPlayerAdaptor::Pause() { m_service.pause(); }
void MprisPlayerAdaptor::PlayPause() { m_service.playPause(); }
void MprisPlayerAdaptor::Stop() { m_service.stop(); }
void MprisPlayerAdaptor::Play() { m_service.play(); }
void MprisPlayerAdaptor::Seek(qlonglong Offset) { m_service.seek(Offset); }
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position)
{
    m_service.setPosition(TrackId, Position);
}
void MprisPlayerAdaptor::OpenUri(const QString& Uri) { m_service.openUri(Uri); }
