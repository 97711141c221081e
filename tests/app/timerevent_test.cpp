// The main loop: tick spacing, stopping from a tick, handlers between ticks, no spinning.
#include "app/timerevent.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

TEST(TimerEventTest, NegativeIntervalIsStoredAsZero)
{
    TimerEvent t;
    t.setInterval(-5);
    EXPECT_EQ(t.Interval(), 0);
    t.setInterval(20);
    EXPECT_EQ(t.Interval(), 20);
}

TEST(TimerEventTest, TicksAreSpacedByMoreThanTheIntervalAndStopFromATick)
{
    TimerEvent t;
    t.setInterval(20);
    std::vector<Clock::time_point> ticks;
    t.Timer = [&] {
        ticks.push_back(Clock::now());
        if (ticks.size() == 6)
            t.setEnabled(false);
    };
    t.setEnabled(true);  // returns when a tick switches the loop off
    ASSERT_EQ(ticks.size(), 6u);
    for (size_t i = 1; i < ticks.size(); ++i) {
        auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(ticks[i] - ticks[i - 1]);
        EXPECT_GE(gap.count(), 20);
    }
}

TEST(TimerEventTest, EventHandlersRunBetweenTicksAndMayEndTheLoop)
{
    TimerEvent t;
    t.setInterval(10);
    bool inTick = false;
    bool overlapped = false;
    int handlerRuns = 0;
    t.Timer = [&] { inTick = true; inTick = false; };
    QTimer handler;
    QObject::connect(&handler, &QTimer::timeout, [&] {
        overlapped = overlapped || inTick;
        if (++handlerRuns == 5)
            t.setEnabled(false);
    });
    handler.start(3);
    t.setEnabled(true);
    EXPECT_EQ(handlerRuns, 5);
    EXPECT_FALSE(overlapped);
    EXPECT_GE(t.tickCount(), 1);
}

TEST(TimerEventTest, WaitingLoopDoesNotSpin)
{
    TimerEvent t;
    t.setInterval(20);
    const double cpuBefore = cpuSeconds();
    const auto wallBefore = Clock::now();
    t.Timer = [&] {
        if (Clock::now() - wallBefore > std::chrono::milliseconds(400))
            t.setEnabled(false);
    };
    t.setEnabled(true);
    const double wall =
        std::chrono::duration<double>(Clock::now() - wallBefore).count();
    const double cpu = cpuSeconds() - cpuBefore;
    // A spinning loop would use the whole wall time; a waiting one a small share of it.
    EXPECT_LT(cpu, wall * 0.5) << "cpu " << cpu << " s over " << wall << " s";
}

}  // namespace

TEST(TimerEventTest, TicksGoOnWhileAHandlerRunsADialogsOwnLoop)
{
    TimerEvent t;
    t.setInterval(20);
    int ticksInDialog = 0;
    bool inDialog = false;
    t.Timer = [&] {
        if (inDialog)
            ++ticksInDialog;
    };
    // An event handler opens a modal question that stays 400 ms: its own loop runs meanwhile.
    QTimer::singleShot(30, [&] {
        QEventLoop dialog;
        QTimer::singleShot(400, &dialog, &QEventLoop::quit);
        inDialog = true;
        dialog.exec();
        inDialog = false;
        t.setEnabled(false);
    });
    t.setEnabled(true);
    // About twenty ticks fit in 400 ms; a loop that waits for the dialog raises none.
    EXPECT_GE(ticksInDialog, 8);
}
