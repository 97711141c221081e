// The hand-over: the second start sends a QDataStream of the argument list with a 32-bit
// length in front; the instance answers one byte; the second start confirms with one byte and
// ends. Only a confirmed message is acted on, so a start that gave up waiting (and said so)
// never has its files added later by an instance that was only slow.
#include "handover.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>

#include <cstdio>
#include <memory>
#include <optional>

namespace {
constexpr char kAck = 'K';
constexpr char kConfirm = 'G';
constexpr quint32 kMaxMessageBytes = 16 * 1024 * 1024;

QByteArray encode(const QStringList& args)
{
    QByteArray body;
    {
        QDataStream out(&body, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_4);
        out << args;
    }
    QByteArray message;
    QDataStream head(&message, QIODevice::WriteOnly);
    head << static_cast<quint32>(body.size());
    message.append(body);
    return message;
}
// The argument list of a message body; nothing when a count or length exceeds the bytes there.
std::optional<QStringList> decodeBody(const QByteArray& body)
{
    QDataStream in(body);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 count = 0;
    in >> count;
    // Each string takes at least its 4-byte length.
    if (in.status() != QDataStream::Ok || count > static_cast<quint32>(body.size() / 4))
        return std::nullopt;
    QStringList args;
    args.reserve(static_cast<qsizetype>(count));
    for (quint32 i = 0; i < count; ++i) {
        const qint64 at = in.device()->pos();
        quint32 bytes = 0;
        in >> bytes;
        if (in.status() != QDataStream::Ok ||
            (bytes != 0xFFFFFFFFu && bytes > static_cast<quint64>(body.size() - at - 4)))
            return std::nullopt;
        in.device()->seek(at);
        QString arg;
        in >> arg;
        if (in.status() != QDataStream::Ok)
            return std::nullopt;
        args.append(arg);
    }
    if (!in.atEnd())
        return std::nullopt;
    return args;
}
} // namespace

QString HandOverName(const QString& configDir)
{
    // The session's runtime folder; without one (a root shell, a service) the temporary
    // folder, where the socket is still only the user's own.
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir())
        runtime = QDir::tempPath();
    const QByteArray key =
        QCryptographicHash::hash(QDir(configDir).absolutePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return runtime + QStringLiteral("/morvane-") + QString::fromLatin1(key);
}

HandOverResult HandOver(const QString& name, const QStringList& args, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    while (true) {
        socket.connectToServer(name);
        if (socket.waitForConnected(static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        if (deadline.hasExpired())
            return HandOverResult::NoAnswer;
        QThread::msleep(100);
    }
    socket.write(encode(args));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(
                static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))))
            return HandOverResult::NoAnswer;
    }
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() ||
            !socket.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))))
            return HandOverResult::NoAnswer;
    }
    char answer = 0;
    socket.getChar(&answer);
    if (answer != kAck)
        return HandOverResult::NoAnswer;
    socket.putChar(kConfirm);
    socket.flush();
    if (socket.bytesToWrite() > 0 && !socket.waitForBytesWritten(1000))
        return HandOverResult::NoAnswer;
    socket.disconnectFromServer();
    return HandOverResult::Delivered;
}

HandOverServer::HandOverServer(std::function<void(const QStringList&)> onArguments, QObject* parent)
    : QObject(parent), m_onArguments(std::move(onArguments))
{
}

HandOverServer::~HandOverServer()
{
    if (m_server)
        m_server->close();
}

bool HandOverServer::listen(const QString& name)
{
    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(name);
    if (!m_server->listen(name)) {
        std::fprintf(stderr, "morvane: files from a second start cannot be received: %s\n",
                     qPrintable(m_server->errorString()));
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &HandOverServer::onConnection);
    return true;
}

void HandOverServer::onConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto received = std::make_shared<std::optional<QStringList>>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
            if (!*received) {
                // The whole message is in memory before any count in it is believed: a list's
                // count or a string's length can then be checked against the bytes that came.
                quint32 size = 0;
                if (socket->bytesAvailable() < 4)
                    return;
                {
                    QDataStream head(socket->peek(4));
                    head >> size;
                }
                if (size > kMaxMessageBytes) {
                    socket->abort();
                    return;
                }
                if (socket->bytesAvailable() < 4 + static_cast<qint64>(size))
                    return;
                socket->skip(4);
                std::optional<QStringList> parsed = decodeBody(socket->read(size));
                if (!parsed) {
                    socket->abort();
                    return;
                }
                QStringList args = std::move(*parsed);
                *received = std::move(args);
                socket->putChar(kAck);
                socket->flush();
            }
            // Read only what has arrived: past it Qt reads the socket itself, which a start
            // that gave up has closed (and says so on stderr).
            char confirm = 0;
            if (socket->bytesAvailable() < 1 || !socket->getChar(&confirm))
                return;
            if (confirm != kConfirm) {
                socket->abort();
                return;
            }
            const QStringList args = **received;
            socket->disconnectFromServer();
            // Run from the event loop: the second start has ended already, whatever the files
            // lead to (an error box here must not make anything wait).
            QPointer<HandOverServer> self(this);
            QMetaObject::invokeMethod(
                this,
                [self, args] {
                    if (self && self->m_onArguments)
                        self->m_onArguments(args);
                },
                Qt::QueuedConnection);
        });
    }
}
