// The real main window on the offscreen platform: what a tick sends to the screen, mouse and
// key events reaching the rules, and tooltips of the hot areas.
#include "playertestkit.h"

#include "player/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>

#include <gtest/gtest.h>

class MainWindowTest : public ::testing::Test {
protected:
    AppState state;
    FakeEngine engine;
    PlaylistModel playlist;
    TrackOps ops{state, engine, playlist};
    RecordingActions actions;
    MainWindow window{state, engine, ops, actions, NoiseSkin()};

    void SetUp() override
    {
        state.StarDust = false;
        state.RelativityVol = 0;
        showAndWait();
    }

    // The window draws only once the platform has exposed it.
    void showAndWait()
    {
        window.showNormal();
        QElapsedTimer clock;
        clock.start();
        while (!window.canBeSeen() && clock.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(window.canBeSeen());
    }

    void mouse(QEvent::Type type, Qt::MouseButton button, QPointF pos)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, pos, window.mapToGlobal(pos), button, held, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
    }
    void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool repeat = false)
    {
        QKeyEvent event(QEvent::KeyPress, code, modifiers, QString(), repeat);
        QApplication::sendEvent(&window, &event);
    }
};

TEST_F(MainWindowTest, IsAFramelessWindowOfTheSkinSize)
{
    EXPECT_EQ(window.size(), QSize(300, 150));
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(MainWindowTest, FirstTickSendsTheFrameThenNothingWhileNothingChanges)
{
    window.tick();
    EXPECT_FALSE(window.lastDirtyRect().isEmpty());
    EXPECT_EQ(window.shownFrame(), window.mainFrame().frame());
    window.tick();
    EXPECT_TRUE(window.lastDirtyRect().isEmpty());
}

TEST_F(MainWindowTest, OnlyTheChangedPartIsSent)
{
    window.tick();
    window.tick();
    state.Volume = 47;
    window.tick();
    const QRect dirty = window.lastDirtyRect();
    EXPECT_TRUE(QRect(195, 16, 17, 7).contains(dirty))
        << dirty.x() << "," << dirty.y() << " " << dirty.width() << "x" << dirty.height();
    EXPECT_FALSE(dirty.isEmpty());
    EXPECT_EQ(window.shownFrame(), window.mainFrame().frame());
}

TEST_F(MainWindowTest, ButtonPressShowsPressedAndReleaseActs)
{
    mouse(QEvent::MouseButtonPress, Qt::LeftButton, {280, 80});
    EXPECT_TRUE(window.windowState().ButtonDown[5]);
    window.tick();
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, {10, 10});
    EXPECT_FALSE(window.windowState().ButtonDown[5]);
    EXPECT_EQ(actions.calls, std::vector<std::string>{"quitApp"});
}

TEST_F(MainWindowTest, RightClickOpensTheCommandMenuAtThePointer)
{
    mouse(QEvent::MouseButtonPress, Qt::RightButton, {150, 120});
    ASSERT_EQ(actions.calls, std::vector<std::string>{"showCommandMenu"});
    EXPECT_EQ(actions.menuAt, window.mapToGlobal(QPoint(150, 120)));
}

TEST_F(MainWindowTest, VolumeDragThroughEvents)
{
    state.Volume = 50;
    mouse(QEvent::MouseButtonPress, Qt::LeftButton, {200, 20});
    mouse(QEvent::MouseMove, Qt::LeftButton, {170, 20});
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, {170, 20});
    EXPECT_EQ(state.Volume, 80);
    EXPECT_FALSE(window.windowState().VolDrag);
}

TEST_F(MainWindowTest, KeypadDigitsAndRepeatsAreNotShortcuts)
{
    std::vector<int> keys;
    window.hooks().addFromShortcut = [&](int code) { keys.push_back(code); };
    key(Qt::Key_3);
    key(Qt::Key_3, Qt::KeypadModifier);
    key(Qt::Key_3, Qt::NoModifier, true);
    EXPECT_EQ(keys, std::vector<int>{Qt::Key_3});
}

TEST_F(MainWindowTest, CaptionFollowsTheOpenTrack)
{
    FillPlaylist(playlist, 2);
    state.CurrentIndex = 2;
    ops.OpenTrack(playlist.rowPath(2));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Track 2"));
}

TEST_F(MainWindowTest, HotAreasCarryTheirToolTips)
{
    auto tipAt = [&](QPoint pos) {
        QHelpEvent event(QEvent::ToolTip, pos, window.mapToGlobal(pos));
        QApplication::sendEvent(&window, &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt({10, 80}), QStringLiteral("再生"));
    state.InputInfo.totalSec = 270;
    engine.sec = 185;
    window.tick();
    EXPECT_EQ(tipAt({30, 50}), QStringLiteral("3:05/4:30"));
    state.CurrentTitle = QStringLiteral("デモ");
    EXPECT_EQ(tipAt({150, 105}), QStringLiteral("デモ"));
}

TEST_F(MainWindowTest, LeavingTheWindowEndsTheLyricLineHover)
{
    window.windowState().LyricHover = true;
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&window, &leave);
    EXPECT_FALSE(window.windowState().LyricHover);
}

TEST_F(MainWindowTest, OutOfSightTheTickKeepsItsLogicButDrawsNothingThenSendsAWholeFrame)
{
    FillPlaylist(playlist, 3);
    state.ExpressType = 1;
    engine.state = 1;
    for (bool minimise : {false, true}) {
        SCOPED_TRACE(minimise ? "minimised" : "hidden");
        window.tick();
        const QImage before = window.mainFrame().frame().copy();
        if (minimise)
            window.showMinimized();
        else
            window.hide();
        state.Volume = state.Volume == 47 ? 48 : 47;
        state.CurrentIndex = 1;
        state.PlayEnd = true;
        engine.clearCalls();
        window.tick();
        // The end of the track is still handled: row 2 is opened and played.
        EXPECT_FALSE(state.PlayEnd);
        EXPECT_EQ(state.CurrentIndex, 2);
        EXPECT_EQ(engine.count("play"), 1);
        // Nothing of the frame: no wave, spectrum or lyric asked for, no pixel changed or sent.
        EXPECT_EQ(engine.count("getSpectrum") + engine.count("getWave") +
                      engine.count("getLyrics"),
                  0);
        EXPECT_EQ(window.mainFrame().frame(), before);
        EXPECT_TRUE(window.lastDirtyRects().empty());
        showAndWait();
        window.tick();
        EXPECT_EQ(window.lastDirtyRect(), QRect(0, 0, 300, 150));
        EXPECT_EQ(window.shownFrame(), window.mainFrame().frame());
        EXPECT_NE(window.shownFrame(), before);
    }
}

TEST_F(MainWindowTest, WheelStepsTheVolumeByTheDragStepAndEndsAMute)
{
    auto wheel = [this](int delta) {
        const QPointF pos(40, 100);
        QWheelEvent event(pos, window.mapToGlobal(pos), {}, {0, delta}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&window, &event);
    };
    state.Volume = 50;
    wheel(120);
    wheel(120);
    EXPECT_EQ(state.Volume, 52);
    EXPECT_EQ(engine.volumeLeft, 52);
    // A fine wheel's small turns add up to one notch; a reversal starts afresh.
    wheel(60);
    EXPECT_EQ(state.Volume, 52);
    wheel(-120);
    EXPECT_EQ(state.Volume, 51);
    state.Mute = true;
    state.MuteVolume = 51;
    wheel(-360);
    EXPECT_FALSE(state.Mute);
    EXPECT_EQ(state.Volume, 48);
    EXPECT_EQ(engine.volumeRight, 48);
    state.Volume = 99;
    wheel(1200);
    EXPECT_EQ(state.Volume, 100);
}
