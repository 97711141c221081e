// The program's main loop: dispatches window events and raises Timer every Interval ms.
//
// Setting Enabled to true runs the loop on the calling (UI) thread and returns only when the
// loop ends. Between ticks the loop sleeps in the event dispatcher until the next event or the
// next tick deadline, so an idle program uses no CPU. While a modal dialog runs its own loop inside
// an event handler, the wake timer raises the ticks from that loop instead, so the windows, the
// tray and MPRIS keep following the music behind the dialog. A tick never runs inside another.
#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>

class TimerEvent : public QObject {
    Q_OBJECT
public:
    explicit TimerEvent(QObject* parent = nullptr);

    bool Enabled() const { return m_enabled; }
    // true runs the loop until Enabled is set to false (from a handler or a tick).
    void setEnabled(bool enabled);

    int Interval() const { return m_intervalMs; }
    void setInterval(int ms);  // a negative value is stored as 0

    // Raised by the loop; the handler runs on the UI thread between event dispatches.
    std::function<void()> Timer;

    // Any thread: the loop raises the next tick at once rather than at its deadline. Does not
    // block (a flag and the dispatcher's wake-up).
    void wake();

    // How many ticks the loop has raised (for diagnostics and tests).
    long long tickCount() const { return m_ticks; }
    // Whether a wake is waiting for the loop's next pass (for tests).
    bool wakePending() const { return m_wakeRequested.load(); }

private:
    void raise();
    void tickInDialogLoop();

    bool m_enabled = false;
    bool m_inTimer = false;
    int m_ownLoopLevel = 0; // the event-loop depth this loop runs at
    int m_intervalMs = 0;
    long long m_ticks = 0;
    std::atomic<bool> m_wakeRequested{false};
    QTimer m_wake;  // wakes the dispatcher at the next tick deadline
};
