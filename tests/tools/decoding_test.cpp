// The conversion window and the watcher that reports a finished conversion.
#include <QLabel>
#include <QPushButton>

#include "tools/conversionwatcher.h"
#include "tools/decodingwindow.h"
#include "toolsfixture.h"

class DecodingTest : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        openTrack(QStringLiteral("/music/song.mp3"));
        engine.clearCalls();
    }

    ConversionWatcher watcher{engine};
    DecodingWindow window{state, engine, ops, actions, watcher};
};

TEST_F(DecodingTest, OpeningNamesTheTargetAndDisablesTheOtherWindows)
{
    window.showWindow();
    EXPECT_EQ(window.targetLabel()->text(), QStringLiteral("対象ﾌｧｲﾙ\n/music/song.mp3"));
    EXPECT_EQ(actions.enabledCalls, std::vector<bool>{false});
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Decoding"));
}

TEST_F(DecodingTest, ATrackNamedLikeHtmlIsShownAsWritten)
{
    const QString name = QStringLiteral("/music/<img src=\"&#47;dev&#47;zero\"><b>x.mp3");
    openTrack(name);
    window.showWindow();
    EXPECT_TRUE(window.targetLabel()->text().endsWith(name));
    EXPECT_EQ(window.targetLabel()->textFormat(), Qt::PlainText);
}

TEST_F(DecodingTest, DecodeWritesBesideTheTrackAndMarksThePlayerDecoding)
{
    window.showWindow();
    window.button(0)->click();
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"setDecodeOption", "decodeWave"}));
    EXPECT_EQ(engine.decodedTo, "/music/song.wav");
    EXPECT_TRUE(state.Decoding);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(actions.enabledCalls, (std::vector<bool>{false, true}));
    EXPECT_TRUE(watcher.running());
    EXPECT_TRUE(MessageBoxScript::shown().empty());
}

TEST_F(DecodingTest, RefusedOptionsSayErrorAndDecodeAnyway)
{
    engine.decodeOptionResult = 0;
    window.showWindow();
    window.decode();
    ASSERT_EQ(MessageBoxScript::shownTexts(), QStringList{QStringLiteral("error")});
    EXPECT_EQ(engine.count("decodeWave"), 1);
    EXPECT_TRUE(state.Decoding);
}

TEST_F(DecodingTest, PlayDecodePlaysAndStaysDecoding)
{
    window.showWindow();
    window.button(2)->click();
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"playDecodeWave", "play"}));
    EXPECT_EQ(engine.decodedTo, "/music/song.wav");
    EXPECT_TRUE(state.Decoding);
    // Only silent conversions are watched: this one ends when playback does.
    EXPECT_FALSE(watcher.running());
}

TEST_F(DecodingTest, TargetsWithoutOrWithSeveralExtensions)
{
    playlist.AddRow(QStringLiteral("/music/song"));
    playlist.AddRow(QStringLiteral("/music/a.b.mp3"));
    state.CurrentIndex = 2;
    EXPECT_EQ(window.outputPath(), QStringLiteral("/music/song.wav"));
    state.CurrentIndex = 3;
    EXPECT_EQ(window.outputPath(), QStringLiteral("/music/a.b.wav"));
}

TEST_F(DecodingTest, TheCloseBoxEnablesTheOtherWindowsAgain)
{
    window.showWindow();
    window.close();
    EXPECT_EQ(actions.enabledCalls, (std::vector<bool>{false, true}));
    EXPECT_EQ(engine.count("decodeWave"), 0);
    EXPECT_FALSE(state.Decoding);
}

TEST_F(DecodingTest, OpensOnlyWhileStoppedWithATrack)
{
    EXPECT_TRUE(DecodingWindow::canOpen(engine, state));
    engine.state = 1;
    EXPECT_FALSE(DecodingWindow::canOpen(engine, state));
    engine.state = 0;
    state.FileOpened = false;
    EXPECT_FALSE(DecodingWindow::canOpen(engine, state));
    EXPECT_EQ(DecodingWindow::stoppedOnlyMessage(),
              QStringLiteral("この機能は停止中のみ利用できます！"));
}

TEST_F(DecodingTest, TheWatcherReportsTheEndOnce)
{
    EXPECT_FALSE(watcher.poll());
    window.decode();
    engine.progress = 42;
    EXPECT_FALSE(watcher.poll());
    EXPECT_EQ(ConversionStatusText(watcher.progress()), QStringLiteral("変換中 42%"));
    engine.progress = 100;
    auto notice = watcher.poll();
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->succeeded);
    EXPECT_EQ(notice->text, QStringLiteral("WAVファイルを作成しました。\n/music/song.wav"));
    EXPECT_FALSE(watcher.poll());
    EXPECT_FALSE(watcher.running());
}

TEST_F(DecodingTest, TheWatcherSaysWhyAConversionFailed)
{
    window.decode();
    engine.progress = 30;
    engine.error = "disk full";
    EXPECT_FALSE(watcher.poll()); // the engine reports the error together with 100
    engine.progress = 100;
    auto notice = watcher.poll();
    ASSERT_TRUE(notice);
    EXPECT_FALSE(notice->succeeded);
    EXPECT_TRUE(notice->text.startsWith(QStringLiteral("WAVファイルを作成できませんでした。")));
    EXPECT_TRUE(notice->text.endsWith(QStringLiteral("disk full")));
}

TEST_F(DecodingTest, TheWatcherReportsAConversionTheEngineRefusedToStart)
{
    class RefusingEngine : public TagRecordingEngine {
    public:
        int decodeWave(const std::string&) override { return 0; }
    } refusing;
    ConversionWatcher refusedWatcher{refusing};
    DecodingWindow refusedWindow{state, refusing, ops, actions, refusedWatcher};
    refusing.progress = 100; // left over from an earlier conversion
    refusedWindow.decode();
    auto notice = refusedWatcher.poll();
    ASSERT_TRUE(notice);
    EXPECT_FALSE(notice->succeeded);
    EXPECT_TRUE(notice->text.endsWith(QStringLiteral("変換を開始できませんでした。")));
}
