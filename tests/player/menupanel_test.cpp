// The menu panel: page turning, the slide animation, hover strips and the fifteen commands.
#include "playertestkit.h"

#include "shell/messagebox.h"

#include <gtest/gtest.h>

class MenuPanelTest : public ::testing::Test {
protected:
    MenuPanel menu;
    SkinPictures skin = NoiseSkin();
    QImage frame{300, 150, QImage::Format_RGB32};

    void SetUp() override { frame.fill(0xFF102030); }

    // Paints until the animation ends; returns the number of paints it took.
    int paintsUntilStill(int menuAni)
    {
        int paints = 0;
        while (menu.MenuAnimating && paints < 1000) {
            menu.paint(frame, skin.Picture1, menuAni);
            ++paints;
        }
        return paints;
    }
};

TEST_F(MenuPanelTest, ArrowsTurnThePageAndWrap)
{
    EXPECT_EQ(menu.press(0), std::nullopt);
    EXPECT_EQ(menu.MenuPage, 4);
    EXPECT_EQ(menu.OldPage, 0);
    EXPECT_TRUE(menu.MenuAnimating);
    paintsUntilStill(0);
    EXPECT_EQ(menu.press(4), std::nullopt);
    EXPECT_EQ(menu.MenuPage, 0);
    EXPECT_EQ(menu.OldPage, 4);
}

TEST_F(MenuPanelTest, PressesDuringTheAnimationDoNothing)
{
    menu.press(4);
    menu.paint(frame, skin.Picture1, 1);
    EXPECT_EQ(menu.press(4), std::nullopt);
    EXPECT_EQ(menu.press(2), std::nullopt);
    EXPECT_EQ(menu.MenuPage, 1);
    EXPECT_EQ(menu.OldPage, 0);
}

TEST_F(MenuPanelTest, SlideTakesTwentyFiveTicksOutAndTwentyFiveIn)
{
    menu.press(4);
    int out = 0;
    while (menu.MenuPhase == 0 && menu.MenuAnimating) {
        menu.paint(frame, skin.Picture1, 1);
        ++out;
    }
    EXPECT_EQ(out, 25);
    EXPECT_EQ(menu.MenuOffset, 100);
    EXPECT_EQ(paintsUntilStill(1), 25);
    EXPECT_EQ(menu.MenuOffset, 0);
    EXPECT_EQ(menu.MenuPhase, 0);
}

TEST_F(MenuPanelTest, WithoutAnimationThePageChangesInTwoTicks)
{
    menu.press(0);
    EXPECT_EQ(paintsUntilStill(0), 2);
}

TEST_F(MenuPanelTest, SlidingPageIsDrawnAtItsOffset)
{
    menu.press(4); // page 0 slides out, page 1 comes in
    for (int i = 0; i < 3; ++i)
        menu.paint(frame, skin.Picture1, 1);
    frame.fill(0xFF102030);
    const QImage clean = frame.copy();
    menu.paint(frame, skin.Picture1, 1); // offset 16, old page 0
    EXPECT_EQ(CheckMasked(frame, clean, {232, 20}, skin.Picture1, {0, 280}, skin.Picture1, {0, 140},
                          {70, 70}),
              "");
    EXPECT_EQ(frame.pixel(231, 20), 0xFF102030u);
}

TEST_F(MenuPanelTest, StillPageShowsTheHoverStripOfTheLastEnteredEntry)
{
    menu.MenuPage = 3;
    menu.hover(1);
    menu.hover(2);
    EXPECT_FALSE(menu.MenuHover[1]);
    const QImage clean = frame.copy();
    menu.paint(frame, skin.Picture1, 1);
    // The page first, then the strip of entry 2 over it.
    EXPECT_EQ(CheckMasked(frame, clean, {216, 20}, skin.Picture1, {210, 280}, skin.Picture1,
                          {210, 140}, {70, 26}),
              "");
    QImage afterPage = clean.copy();
    for (int y = 20; y < 90; ++y) {
        for (int x = 216; x < 286; ++x) {
            afterPage.setPixel(x, y,
                               MaskedPixel(clean.pixel(x, y), skin.Picture1.pixel(x - 6, y + 260),
                                           skin.Picture1.pixel(x - 6, y + 120)));
        }
    }
    EXPECT_EQ(CheckMasked(frame, afterPage, {216, 46}, skin.Picture1, {210, 306}, skin.Picture1,
                          {210, 236}, {70, 12}),
              "");
}

class MenuCommandTest : public ::testing::Test {
protected:
    PlayerRig rig;

    void SetUp() override { MessageBoxScript::enable(); }
    void TearDown() override { MessageBoxScript::disable(); }
};

TEST_F(MenuCommandTest, PlayModeCyclesAndRandomBuildsAShuffledOrder)
{
    FillPlaylist(rig.playlist, 4);
    rig.state.PlayMode = 1;
    rig.commands.run(0, 2, nullptr);
    EXPECT_EQ(rig.state.PlayMode, 2);
    EXPECT_EQ(rig.playlist.List1.size(), 4u);
    rig.commands.run(0, 2, nullptr);
    rig.commands.run(0, 2, nullptr);
    EXPECT_EQ(rig.state.PlayMode, 0);
}

TEST_F(MenuCommandTest, PlaylistEntryShowsItAndMarksItVisible)
{
    rig.commands.run(0, 1, nullptr);
    EXPECT_EQ(rig.actions.calls, std::vector<std::string>{"showPlaylist"});
    EXPECT_TRUE(rig.state.ListVisible);
}

TEST_F(MenuCommandTest, ConversionIsRefusedUnlessStoppedWithAFile)
{
    rig.state.FileOpened = true;
    rig.engine.state = 1;
    rig.commands.run(1, 2, nullptr);
    ASSERT_EQ(MessageBoxScript::shownTexts().size(), 1);
    EXPECT_EQ(MessageBoxScript::shownTexts()[0],
              QStringLiteral("この機能は停止中のみ利用できます！"));
    EXPECT_TRUE(rig.actions.shown.empty());

    rig.engine.state = 0;
    rig.commands.run(1, 2, nullptr);
    ASSERT_EQ(rig.actions.shown.size(), 1u);
    EXPECT_EQ(rig.actions.shown[0], ToolWindow::Decoding);
    EXPECT_EQ(rig.actions.calls.back(), "disableWindows");
}

TEST_F(MenuCommandTest, TagEditorNeedsAnOpenFile)
{
    rig.commands.run(2, 3, nullptr);
    ASSERT_EQ(MessageBoxScript::shownTexts().size(), 1);
    EXPECT_TRUE(MessageBoxScript::shownTexts()[0].startsWith(
        QStringLiteral("ファイルが読み込まれていないため")));
    EXPECT_TRUE(
        MessageBoxScript::shownTexts()[0].endsWith(QStringLiteral("このウィンドウは開けません!")));
    rig.state.CurrentFile = QStringLiteral("/music/a.mp3");
    rig.commands.run(2, 3, nullptr);
    ASSERT_EQ(rig.actions.shown.size(), 1u);
    EXPECT_EQ(rig.actions.shown[0], ToolWindow::TagEditor);
}

TEST_F(MenuCommandTest, FadeInTogglesAndTellsTheEngine)
{
    rig.commands.run(2, 2, nullptr);
    EXPECT_TRUE(rig.state.FadeIn);
    EXPECT_EQ(rig.engine.fadeIn, 1);
    rig.commands.run(2, 2, nullptr);
    EXPECT_FALSE(rig.state.FadeIn);
    EXPECT_EQ(rig.engine.fadeIn, 0);
    rig.commands.run(2, 1, nullptr);
    EXPECT_EQ(rig.engine.count("fadeOut"), 1);
}

TEST_F(MenuCommandTest, EveryPageOpensItsWindows)
{
    rig.commands.run(0, 3, nullptr);
    rig.commands.run(1, 1, nullptr);
    rig.commands.run(1, 3, nullptr);
    rig.commands.run(3, 1, nullptr);
    rig.commands.run(3, 3, nullptr);
    rig.commands.run(4, 1, nullptr);
    rig.commands.run(4, 3, nullptr);
    const std::vector<ToolWindow> want{ToolWindow::Equalizer, ToolWindow::LyricsEditor,
                                       ToolWindow::ShortPath, ToolWindow::Settings,
                                       ToolWindow::Version,   ToolWindow::Document,
                                       ToolWindow::Pitch};
    EXPECT_EQ(rig.actions.shown, want);
    EXPECT_TRUE(rig.state.LyricsEditOpen);
    rig.commands.run(3, 2, nullptr);
    rig.commands.run(4, 2, nullptr);
    EXPECT_EQ(rig.actions.calls.back(), "openHelp");
    EXPECT_EQ(rig.actions.calls[rig.actions.calls.size() - 2], "openFileManager");
}

TEST_F(MenuCommandTest, PressOnTheWindowRunsTheCommandOfTheShownPage)
{
    rig.menu.MenuPage = 2;
    rig.input.mouseDown(Qt::LeftButton, {230, 40}, {}, nullptr); // entry 1: fade out
    rig.input.mouseUp();
    EXPECT_EQ(rig.engine.count("fadeOut"), 1);
    rig.input.mouseDown(Qt::RightButton, {230, 40}, {}, nullptr);
    rig.input.mouseUp();
    EXPECT_EQ(rig.engine.count("fadeOut"), 1);
    EXPECT_TRUE(rig.actions.calls.empty()); // the right button neither runs nor opens a menu
}
