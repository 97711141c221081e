// A second start of the program hands its files to the running instance over a per-user local
// socket, instead of being refused.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalServer;

// The socket's name for the settings folder configDir: one instance per settings folder, so
// the name is derived from it, inside the user's runtime folder.
QString HandOverName(const QString& configDir);

enum class HandOverResult {
    Delivered,  // the running instance took the arguments
    NoAnswer,   // nobody listens, or the instance did not answer in time
};

// Connects to the running instance, sends args (already absolute) and waits for its
// acknowledgement. Blocks for at most timeoutMs; retries the connection meanwhile, since an
// instance that has just taken the lock may not listen yet.
HandOverResult HandOver(const QString& name, const QStringList& args, int timeoutMs);

// The running instance's end: each message is acknowledged at once and then given to
// onArguments on the UI thread (an empty list: a start without arguments).
class HandOverServer : public QObject {
    Q_OBJECT
public:
    explicit HandOverServer(std::function<void(const QStringList&)> onArguments,
                            QObject* parent = nullptr);
    ~HandOverServer() override;

    // Listens on name, replacing a socket a crashed instance left behind (the caller holds the
    // instance lock, so no live instance uses it). False with a reason on stderr otherwise.
    bool listen(const QString& name);

private:
    void onConnection();

    std::function<void(const QStringList&)> m_onArguments;
    QLocalServer* m_server = nullptr;
};
