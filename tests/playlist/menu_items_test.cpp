// The command menu: its items and captions, what each does, and its check marks.
#include "windowkit_fixture.h"

#include "settings/settingsstore.h"
#include "shell/trayicon.h"

#include <QMenu>

namespace {
class CommandMenuTest : public WindowKitFixture {
protected:
    void SetUp() override
    {
        WindowKitFixture::SetUp();
        openWindow();
        menu = &kit->commandMenu();
    }
    void trigger(const char* name)
    {
        QAction* action = menu->item(QLatin1String(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    bool checked(const QString& name) const { return menu->item(name)->isChecked(); }
    // The names of the display items that carry the check mark.
    QStringList checkedDisplayItems() const
    {
        QStringList names;
        for (const char* name :
             {"p311_0", "p311_1", "p311_2", "p321_0", "p321_1", "p321_2", "p321_3", "p33"}) {
            if (checked(QLatin1String(name)))
                names << QLatin1String(name);
        }
        return names;
    }
    int windowKey(const char* key) const { return ReadIniInt("Window", key, iniPath); }

    CommandMenu* menu = nullptr;
};

QStringList captions(const QMenu* menu)
{
    QStringList list;
    for (QAction* action : menu->actions())
        list << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return list;
}
} // namespace

TEST_F(CommandMenuTest, TopLevelItemsStandInOrderWithTheirSubMenus)
{
    EXPECT_EQ(captions(menu->menu()), (QStringList{"開く(&O)",
                                                   "-",
                                                   "再生(&P)",
                                                   "停止(&S)",
                                                   "一時停止(&T)",
                                                   "-",
                                                   "次トラック(&B)",
                                                   "前トラック(&N)",
                                                   "-",
                                                   "表示(&Y)",
                                                   "スターダスト(&D)",
                                                   "常に手前に表示(&A)",
                                                   "-",
                                                   "プレイリスト(&L)",
                                                   "エクスプローラー(&E)",
                                                   "-",
                                                   "ウィンドウ(&W)",
                                                   "-",
                                                   "フェードイン(&I)",
                                                   "フェードアウト(&F)",
                                                   "-",
                                                   "プレイモード(&M)",
                                                   "-",
                                                   "バージョン(&V)",
                                                   "ヘルプ(&H)",
                                                   "-",
                                                   "ウィンドウを元に戻す(&R)",
                                                   "-",
                                                   "ｱﾌﾟﾘｹｰｼｮﾝの終了(&Q)"}));
    EXPECT_EQ(captions(menu->item(QStringLiteral("p0"))->menu()),
              (QStringList{"ファイル指定(&A)", "フォルダ指定(&F)"}));
    EXPECT_EQ(captions(menu->item(QStringLiteral("p3_0"))->menu()),
              (QStringList{"スペクトラムアナライザ(&A)", "オシロスコープ(&O)", "表示しない(&N)"}));
    EXPECT_EQ(captions(menu->item(QStringLiteral("p32"))->menu()),
              (QStringList{"合成波(&G)", "右＆左チャンネル(&B)", "右チャンネル(&R)",
                           "左チャンネル(&L)"}));
    EXPECT_EQ(captions(menu->item(QStringLiteral("p5"))->menu()).size(), 8);
    EXPECT_EQ(menu->item(QStringLiteral("p51_3"))->text(), QStringLiteral("タグ編集画面(&T)"));
    EXPECT_EQ(
        captions(menu->item(QStringLiteral("p7"))->menu()),
        (QStringList{"通常演奏(&N)", "リピート演奏(&R)", "ランダム演奏(&A)", "単曲リピート(&T)"}));
}

TEST_F(CommandMenuTest, LineSpectrumAloneCarriesTheMarkAndIsSaved)
{
    trigger("p321_1");
    trigger("p311_2");
    EXPECT_EQ(checkedDisplayItems(), QStringList{"p311_2"});
    EXPECT_EQ(state.ExpressType, 1);
    EXPECT_EQ(state.SpeAnaType, 2);
    EXPECT_EQ(windowKey("ExpressType"), 1);
    EXPECT_EQ(windowKey("SpeAnaType"), 2);
    EXPECT_EQ(ini("Window", "SpeAnaType"), QStringLiteral("2"));
}

TEST_F(CommandMenuTest, OscilloscopeAndNoDisplayAreSavedWithTheirTypes)
{
    trigger("p321_3");
    EXPECT_EQ(checkedDisplayItems(), QStringList{"p321_3"});
    EXPECT_EQ(windowKey("ExpressType"), 0);
    EXPECT_EQ(windowKey("OsiroType"), 3);
    trigger("p33");
    EXPECT_EQ(checkedDisplayItems(), QStringList{"p33"});
    EXPECT_EQ(state.ExpressType, 2);
    EXPECT_EQ(windowKey("ExpressType"), 2);
    EXPECT_EQ(state.OsiroType, 3);
}

TEST_F(CommandMenuTest, CheckMarksFollowTheStateWhenTheMenuOpens)
{
    state.ExpressType = 0;
    state.OsiroType = 2;
    state.StarDust = false;
    state.AlwaysTop = true;
    state.FadeIn = true;
    state.PlayMode = 3;
    menu->popupAt(QPoint(5, 5));
    EXPECT_TRUE(menu->menu()->isVisible());
    EXPECT_EQ(checkedDisplayItems(), QStringList{"p321_2"});
    EXPECT_FALSE(checked(QStringLiteral("p3_1")));
    EXPECT_TRUE(checked(QStringLiteral("p3_2")));
    EXPECT_TRUE(checked(QStringLiteral("p6_0")));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(checked(QStringLiteral("p71_%1").arg(i)), i == 3);
    menu->menu()->close();
}

TEST_F(CommandMenuTest, StarDustAndAlwaysOnTopFlipAndAreSaved)
{
    state.StarDust = true;
    trigger("p3_1");
    EXPECT_FALSE(state.StarDust);
    EXPECT_FALSE(checked(QStringLiteral("p3_1")));
    EXPECT_EQ(windowKey("StarDust"), 0);

    trigger("p3_2");
    trigger("p3_2");
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"setTopMost 1", "setTopMost 0"}));
    EXPECT_FALSE(state.AlwaysTop);
    EXPECT_EQ(windowKey("Alwaystop"), 0);
}

TEST_F(CommandMenuTest, FadeInTwiceTellsTheEngineOneThenZero)
{
    trigger("p6_0");
    EXPECT_EQ(engine.fadeIn, 1);
    EXPECT_TRUE(state.FadeIn);
    EXPECT_TRUE(checked(QStringLiteral("p6_0")));
    trigger("p6_0");
    EXPECT_EQ(engine.fadeIn, 0);
    EXPECT_FALSE(state.FadeIn);
    EXPECT_FALSE(checked(QStringLiteral("p6_0")));
    EXPECT_EQ(engine.count("setFadeIn"), 2);
    // Not a saved setting.
    EXPECT_FALSE(QFile::exists(iniPath));
    trigger("p6_1");
    EXPECT_EQ(engine.count("fadeOut"), 1);
}

TEST_F(CommandMenuTest, RandomPlayRebuildsTheOrderFromFreshDrawsEachTime)
{
    addTracks(20);
    state.RandomPos = 7;
    trigger("p71_2");
    const std::vector<int> first = model.List1;
    EXPECT_EQ(first.size(), 20u);
    trigger("p71_2");
    EXPECT_NE(model.List1, first);
    EXPECT_EQ(state.PlayMode, 2);
    EXPECT_EQ(state.RandomPos, 7);
    EXPECT_TRUE(checked(QStringLiteral("p71_2")));
    trigger("p71_0");
    EXPECT_EQ(state.PlayMode, 0);
    EXPECT_TRUE(checked(QStringLiteral("p71_0")));
    EXPECT_FALSE(checked(QStringLiteral("p71_2")));
    EXPECT_FALSE(QFile::exists(iniPath));
}

TEST_F(CommandMenuTest, NextInRandomModeFromTheLastEntryGoesToTheFirstEntrysRow)
{
    addTracks(5);
    state.PlayMode = 2;
    state.RandomPos = static_cast<int>(model.List1.size());
    trigger("p2_0");
    EXPECT_EQ(state.RandomPos, 1);
    EXPECT_EQ(state.CurrentIndex, model.List1[0]);
    EXPECT_EQ(QString::fromStdString(engine.lastOpened), model.rowPath(model.List1[0]));
}

TEST_F(CommandMenuTest, PlayStopPauseAndPreviousHandOverToTheTrackOperations)
{
    trigger("p1_0");
    EXPECT_EQ(engine.count("open"), 0);
    addTracks(3);
    state.CurrentIndex = 2;
    trigger("p1_0");
    EXPECT_EQ(QString::fromStdString(engine.lastOpened), model.rowPath(2));
    EXPECT_EQ(engine.count("play"), 1);
    trigger("p1_1");
    EXPECT_EQ(engine.count("stop"), 1);
    state.PlayMode = 1;
    trigger("p2_1");
    EXPECT_EQ(state.CurrentIndex, 1);
}

TEST_F(CommandMenuTest, TagEditorIsRefusedWhileNoTrackIsLoaded)
{
    trigger("p51_3");
    EXPECT_EQ(MessageBoxScript::shownTexts(),
              QStringList{"ファイルが読み込まれていないため\nこのウィンドウは開けません!"});
    EXPECT_TRUE(actions.shown.empty());
    state.CurrentFile = QStringLiteral("/music/a.mp3");
    trigger("p51_3");
    EXPECT_EQ(actions.shown, std::vector<ToolWindow>{ToolWindow::TagEditor});
}

TEST_F(CommandMenuTest, DecodingOpensOnlyForAStoppedOpenedTrack)
{
    engine.state = 1;
    state.FileOpened = true;
    trigger("p51_2");
    engine.state = 0;
    state.FileOpened = false;
    trigger("p51_2");
    EXPECT_TRUE(actions.calls.empty());
    EXPECT_TRUE(MessageBoxScript::shown().empty());

    state.FileOpened = true;
    trigger("p51_2");
    EXPECT_EQ(actions.shown, std::vector<ToolWindow>{ToolWindow::Decoding});
    EXPECT_FALSE(actions.mainWindowsEnabled);
}

TEST_F(CommandMenuTest, WindowItemsShowTheirWindows)
{
    for (const char* name : {"p51_0", "p51_1", "p51_4", "p51_5", "p51_6", "p51_7", "p8_0"})
        trigger(name);
    EXPECT_EQ(actions.shown, (std::vector<ToolWindow>{
                                 ToolWindow::Equalizer, ToolWindow::ShortPath, ToolWindow::Pitch,
                                 ToolWindow::Document, ToolWindow::Settings,
                                 ToolWindow::LyricsEditor, ToolWindow::Version}));
    EXPECT_TRUE(state.LyricsEditOpen);
    actions.calls.clear();
    for (const char* name : {"p4_0", "p4_1", "p9"})
        trigger(name);
    EXPECT_EQ(actions.calls,
              (std::vector<std::string>{"showPlaylist", "openFileManager", "quitApp"}));
    EXPECT_FALSE(state.ListVisible);
}

TEST_F(CommandMenuTest, RestoringAfterHideShowsOnlyTheMainWindow)
{
    state.ListVisible = true;
    window->show();
    kit->toolbar().button(12)->click();
    trigger("p10");
    EXPECT_EQ(actions.calls.back(), "restoreWindows");
    EXPECT_FALSE(window->isVisible());
}

TEST_F(CommandMenuTest, OpenItemsRunTheRoadsIn)
{
    DialogScript::pushAnswer(writeMp3(QStringLiteral("a.mp3")));
    trigger("p01_0");
    EXPECT_EQ(model.count(), 1);
    DialogScript::pushAnswer(QString());
    trigger("p01_1");
    EXPECT_EQ(model.count(), 1);
}

TEST_F(CommandMenuTest, TheTrayIconIsShownWithItsTipAndItsRightButtonOpensTheMenu)
{
    ASSERT_FALSE(trayLog.empty());
    EXPECT_EQ(trayLog.front(), "add 0 Morvane");
    window->hide();
    kit->trayIcon().pressOn(0, Qt::LeftButton, QPoint(10, 10));
    EXPECT_FALSE(menu->menu()->isVisible());
    state.PlayMode = 0;
    kit->trayIcon().pressOn(0, Qt::RightButton, QPoint(10, 10));
    EXPECT_TRUE(menu->menu()->isVisible());
    EXPECT_TRUE(checked(QStringLiteral("p71_0")));
    menu->menu()->close();
}
