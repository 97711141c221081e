// The waiting main loop.
#include "timerevent.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

TimerEvent::TimerEvent(QObject* parent) : QObject(parent)
{
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer);
}

void TimerEvent::setInterval(int ms) { m_intervalMs = ms < 0 ? 0 : ms; }

void TimerEvent::wake()
{
    m_wakeRequested.store(true);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        dispatcher->wakeUp();
}

void TimerEvent::setEnabled(bool enabled)
{
    const bool wasRunning = m_enabled;
    m_enabled = enabled;
    if (!enabled || wasRunning)
        return;  // a running loop sees the change on its next pass

    using Clock = std::chrono::steady_clock;
    auto last = Clock::now();
    while (m_enabled) {
        // Dispatch what is pending; sleep until an event or the wake timer arrives.
        const auto elapsedMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last).count();
        const long long waitMs = m_intervalMs + 1 - elapsedMs;
        if (waitMs > 0) {
            m_wake.start(static_cast<int>(waitMs));
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        } else {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        if (!m_enabled)
            break;
        const auto now = Clock::now();
        const bool woken = m_wakeRequested.exchange(false);
        if (woken ||
            std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count() >
                m_intervalMs) {
            last = Clock::now();
            ++m_ticks;
            if (Timer)
                Timer();
        }
    }
    m_wake.stop();
}
