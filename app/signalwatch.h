// Turns SIGTERM, SIGINT and SIGHUP into a queued call on the UI thread, so the playlist backup
// can be written before the process ends (a logout or a kill must not lose the playlist).
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

class SignalWatch : public QObject {
    Q_OBJECT
public:
    explicit SignalWatch(std::function<void(int)> onSignal, QObject* parent = nullptr);
    ~SignalWatch() override;

private:
    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};
