// Mouse and key rules of the main window: volume drag and mute, seeking, the lyric line, the
// command menu, transport buttons and the shortcut keys.
#include "playertestkit.h"

#include <gtest/gtest.h>

class MainInputTest : public ::testing::Test {
protected:
    PlayerRig rig;

    void press(Qt::MouseButton button, QPointF pos)
    {
        rig.input.mouseDown(button, pos, {400, 300}, nullptr);
    }
};

TEST_F(MainInputTest, DraggingLeftRaisesTheVolumeOnePerPixel)
{
    rig.state.Volume = 50;
    press(Qt::LeftButton, {200, 20});
    EXPECT_TRUE(rig.window.VolDrag);
    rig.input.mouseMove(true, {170, 20});
    EXPECT_EQ(rig.state.Volume, 80);
    EXPECT_EQ(rig.engine.volumeLeft, 80);
    EXPECT_EQ(rig.engine.volumeRight, 80);
    rig.input.mouseMove(true, {0, 20});
    EXPECT_EQ(rig.state.Volume, 100);
    rig.input.mouseMove(true, {299, 20});
    EXPECT_EQ(rig.state.Volume, 0);
    rig.input.mouseUp();
    EXPECT_FALSE(rig.window.VolDrag);
    rig.input.mouseMove(true, {100, 20});
    EXPECT_EQ(rig.state.Volume, 0);
}

TEST_F(MainInputTest, VolumeDragNeedsTheLeftButtonAlone)
{
    rig.state.Volume = 50;
    press(Qt::LeftButton, {200, 20});
    rig.input.mouseMove(false, {150, 20});
    EXPECT_EQ(rig.state.Volume, 50);
}

TEST_F(MainInputTest, RightClickOnTheVolumeTogglesTheMute)
{
    rig.state.Volume = 60;
    press(Qt::RightButton, {190, 20});
    rig.input.mouseUp();
    EXPECT_TRUE(rig.state.Mute);
    EXPECT_EQ(rig.state.MuteVolume, 60);
    EXPECT_EQ(rig.state.Volume, 60);
    EXPECT_EQ(rig.engine.volumeLeft, 0);
    press(Qt::RightButton, {190, 20});
    rig.input.mouseUp();
    EXPECT_FALSE(rig.state.Mute);
    EXPECT_EQ(rig.engine.volumeLeft, 60);
    EXPECT_TRUE(rig.actions.calls.empty()); // no command menu over the volume
}

TEST_F(MainInputTest, LeftClickWhileMutedUnmutesBeforeTheDrag)
{
    rig.state.Volume = 60;
    press(Qt::RightButton, {190, 20});
    rig.input.mouseUp();
    rig.engine.clearCalls();
    press(Qt::LeftButton, {190, 20});
    EXPECT_FALSE(rig.state.Mute);
    EXPECT_EQ(rig.engine.volumeLeft, 60);
    EXPECT_EQ(rig.window.DragStartVol, 60);
    EXPECT_EQ(rig.window.DragStartX, 190);
}

TEST_F(MainInputTest, DroppingTheCursorSeeksToItsPoint)
{
    rig.state.InputInfo.totalSec = 300;
    press(Qt::LeftButton, {80, 70});
    EXPECT_TRUE(rig.window.Seeking);
    EXPECT_EQ(rig.window.SeekPos, 10);
    rig.input.mouseMove(true, {120, 50}); // the drag follows y anywhere
    EXPECT_EQ(rig.window.SeekPos, 30);
    rig.input.mouseMove(true, {120, 5});
    EXPECT_EQ(rig.window.SeekPos, 60);
    rig.input.mouseMove(true, {120, 50});
    rig.input.mouseUp();
    EXPECT_FALSE(rig.window.Seeking);
    EXPECT_EQ(rig.engine.lastSeek, 150);
}

TEST_F(MainInputTest, SeekRoundsHalvesToEven)
{
    rig.state.InputInfo.totalSec = 5; // SeekPos 6 gives 0.5 s, SeekPos 18 gives 1.5 s
    press(Qt::RightButton, {80, 74});
    rig.input.mouseUp();
    EXPECT_EQ(rig.engine.lastSeek, 0);
    press(Qt::LeftButton, {80, 62});
    rig.input.mouseUp();
    EXPECT_EQ(rig.engine.lastSeek, 2);
}

TEST_F(MainInputTest, LyricLineClickOpensTheEditor)
{
    rig.input.setLyricLine(100, 100);
    press(Qt::LeftButton, {150, 135});
    ASSERT_EQ(rig.actions.shown.size(), 1u);
    EXPECT_EQ(rig.actions.shown[0], ToolWindow::LyricsEditor);
    EXPECT_TRUE(rig.state.LyricsEditOpen);
}

TEST_F(MainInputTest, HoverOverTheLyricLineFollowsThePointer)
{
    rig.input.setLyricLine(100, 100);
    rig.input.mouseMove(false, {150, 135});
    EXPECT_TRUE(rig.window.LyricHover);
    rig.input.mouseMove(false, {250, 135});
    EXPECT_FALSE(rig.window.LyricHover);
}

TEST_F(MainInputTest, OtherButtonsElsewhereOpenTheCommandMenu)
{
    rig.input.setLyricLine(100, 100);
    press(Qt::RightButton, {150, 135});
    EXPECT_EQ(rig.actions.calls, std::vector<std::string>{"showCommandMenu"});
    EXPECT_EQ(rig.actions.menuAt, QPoint(400, 300));
    EXPECT_FALSE(rig.state.LyricsEditOpen);
}

TEST_F(MainInputTest, LeftPressElsewhereMovesTheWindow)
{
    EXPECT_EQ(rig.input.mouseDown(Qt::LeftButton, {150, 120}, {}, nullptr),
              MainInput::Outcome::MoveWindow);
}

TEST_F(MainInputTest, ButtonActsOnReleaseWhereverThePointerIs)
{
    FillPlaylist(rig.playlist, 3);
    rig.state.CurrentIndex = 1;
    press(Qt::LeftButton, {230, 100}); // next
    EXPECT_TRUE(rig.window.ButtonDown[3]);
    rig.input.mouseMove(true, {10, 10});
    EXPECT_EQ(rig.engine.count("open"), 0);
    rig.input.mouseUp();
    EXPECT_FALSE(rig.window.ButtonDown[3]);
    EXPECT_EQ(rig.state.CurrentIndex, 2);
    EXPECT_EQ(rig.engine.lastOpened, "/music/t2.mp3");
}

TEST_F(MainInputTest, TransportButtonsCallTheirOperations)
{
    FillPlaylist(rig.playlist, 3);
    rig.state.CurrentIndex = 2;
    auto click = [&](QPointF pos) {
        press(Qt::LeftButton, pos);
        rig.input.mouseUp();
    };
    click({10, 80}); // play
    EXPECT_EQ(rig.engine.lastOpened, "/music/t2.mp3");
    EXPECT_EQ(rig.engine.state, 1);
    click({60, 100}); // pause
    EXPECT_EQ(rig.engine.state, 2);
    click({35, 90}); // stop
    EXPECT_EQ(rig.engine.state, 0);
    click({255, 90}); // previous
    EXPECT_EQ(rig.state.CurrentIndex, 1);
    click({270, 5});  // hide
    click({280, 80}); // quit
    click({290, 10}); // quit
    EXPECT_EQ(rig.actions.calls, (std::vector<std::string>{"hideWindows", "quitApp", "quitApp"}));
}

TEST_F(MainInputTest, MainKeyboardDigitsOneToFiveAddShortcuts)
{
    std::vector<int> keys;
    rig.hooks.addFromShortcut = [&](int key) { keys.push_back(key); };
    for (int key : {Qt::Key_1, Qt::Key_5, Qt::Key_6, Qt::Key_0, Qt::Key_A})
        rig.input.keyDown(key);
    EXPECT_EQ(keys, (std::vector<int>{49, 53}));
}

TEST_F(MainInputTest, MenuHoverFollowsThePointer)
{
    rig.input.mouseMove(false, {230, 50});
    EXPECT_TRUE(rig.menu.MenuHover[2]);
    rig.input.mouseMove(false, {150, 100});
    EXPECT_TRUE(rig.menu.MenuHover[2]); // stays until another entry is entered
    rig.input.mouseMove(false, {230, 75});
    EXPECT_FALSE(rig.menu.MenuHover[2]);
    EXPECT_TRUE(rig.menu.MenuHover[4]);
}

TEST_F(MainInputTest, PageArrowDuringAnimationDoesNothing)
{
    press(Qt::LeftButton, {230, 75});
    rig.input.mouseUp();
    EXPECT_EQ(rig.menu.MenuPage, 1);
    press(Qt::LeftButton, {230, 75});
    rig.input.mouseUp();
    EXPECT_EQ(rig.menu.MenuPage, 1);
    press(Qt::LeftButton, {230, 40}); // a command while the page slides is ignored too
    EXPECT_TRUE(rig.actions.shown.empty());
}
