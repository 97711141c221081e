// The waiting main loop.
#include "timerevent.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

TimerEvent::TimerEvent(QObject* parent) : QObject(parent)
{
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer);
    connect(&m_wake, &QTimer::timeout, this, &TimerEvent::tickInDialogLoop);
}

void TimerEvent::raise()
{
    if (m_inTimer)
        return;
    m_inTimer = true;
    ++m_ticks;
    if (Timer)
        Timer();
    m_inTimer = false;
}

void TimerEvent::tickInDialogLoop()
{
    // In the program's own loop the deadline only ends the wait; the loop raises the tick.
    if (!m_enabled || m_inTimer || QThread::currentThread()->loopLevel() <= m_ownLoopLevel)
        return;
    m_wakeRequested.store(false);
    raise();
    if (m_enabled)
        m_wake.start(m_intervalMs + 1);
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

    m_ownLoopLevel = QThread::currentThread()->loopLevel();
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
            // Still armed: a dialog opened in this pass runs its ticks from this timer.
            m_wake.start(m_intervalMs + 1);
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
            raise();
        }
    }
    m_wake.stop();
}
