// One tick: its order of engine calls, the tray icon, the lyrics editor's clock and the
// end-of-track rule of each play mode.
#include "playertestkit.h"

#include "player/endoftrack.h"
#include "player/lyricsclock.h"
#include "player/trayiconrule.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct RecordingTray : TrayIconSink {
    std::vector<Image> images;
    QString tip;
    void showTrayIcon(Image image, const QString& text) override
    {
        images.push_back(image);
        tip = text;
    }
};

struct RecordingClock : LyricsClock {
    QString file;
    QString text;
    QString editedFile() const override { return file; }
    void setClockText(const QString& t) override { text = t; }
};

int IndexOf(const std::vector<std::string>& calls, const std::string& name, int from = 0)
{
    auto it = std::find(calls.begin() + from, calls.end(), name);
    return it == calls.end() ? -1 : static_cast<int>(it - calls.begin());
}

} // namespace

class EndOfTrackTest : public ::testing::Test {
protected:
    PlayerRig rig;

    void SetUp() override { FillPlaylist(rig.playlist, 3); }

    void endTrackAt(int row, int mode)
    {
        rig.state.CurrentIndex = row;
        rig.state.PlayMode = mode;
        rig.state.PlayEnd = true;
        rig.engine.state = 0;
        rig.engine.clearCalls();
        rig.tick.run();
    }
};

TEST_F(EndOfTrackTest, NormalModeStopsAfterTheLastRow)
{
    endTrackAt(3, 0);
    EXPECT_EQ(rig.state.CurrentIndex, 1);
    EXPECT_EQ(rig.engine.count("open"), 0);
    EXPECT_EQ(rig.engine.count("play"), 0);
    EXPECT_FALSE(rig.state.PlayEnd);
}

TEST_F(EndOfTrackTest, NormalModePlaysTheNextRow)
{
    endTrackAt(1, 0);
    EXPECT_EQ(rig.state.CurrentIndex, 2);
    EXPECT_EQ(rig.engine.lastOpened, "/music/t2.mp3");
    EXPECT_EQ(rig.engine.count("play"), 1);
}

TEST_F(EndOfTrackTest, RepeatModeWrapsToTheFirstRow)
{
    endTrackAt(3, 1);
    EXPECT_EQ(rig.state.CurrentIndex, 1);
    EXPECT_EQ(rig.engine.lastOpened, "/music/t1.mp3");
    EXPECT_EQ(rig.engine.state, 1);
}

TEST_F(EndOfTrackTest, RandomModeStepsThroughTheShuffledOrder)
{
    rig.playlist.List1 = {3, 1, 2};
    rig.state.RandomPos = 1;
    endTrackAt(3, 2);
    EXPECT_EQ(rig.state.RandomPos, 2);
    EXPECT_EQ(rig.state.CurrentIndex, 1);
    EXPECT_EQ(rig.engine.lastOpened, "/music/t1.mp3");
    rig.state.RandomPos = 3;
    endTrackAt(1, 2);
    EXPECT_EQ(rig.state.RandomPos, 1);
    EXPECT_EQ(rig.state.CurrentIndex, 3);
}

TEST_F(EndOfTrackTest, RandomModeWithoutAShuffledOrderFallsBackToListOrder)
{
    rig.playlist.List1.clear();
    endTrackAt(3, 2);
    EXPECT_EQ(rig.state.CurrentIndex, 1);
    EXPECT_EQ(rig.engine.lastOpened, "/music/t1.mp3");
}

TEST_F(EndOfTrackTest, SingleRepeatPlaysTheSameRowAgain)
{
    endTrackAt(2, 3);
    EXPECT_EQ(rig.state.CurrentIndex, 2);
    EXPECT_EQ(rig.engine.lastOpened, "/music/t2.mp3");
    EXPECT_EQ(rig.engine.count("play"), 1);
}

TEST_F(EndOfTrackTest, ConversionSuppressesTheAdvanceButClearsTheFlag)
{
    rig.state.Decoding = true;
    endTrackAt(1, 1);
    EXPECT_EQ(rig.state.CurrentIndex, 1);
    EXPECT_EQ(rig.engine.count("open"), 0);
    EXPECT_FALSE(rig.state.PlayEnd);
}

TEST_F(EndOfTrackTest, NothingHappensWithoutTheFlag)
{
    rig.state.CurrentIndex = 2;
    ApplyEndOfTrack(rig.state, rig.playlist, rig.ops);
    EXPECT_EQ(rig.state.CurrentIndex, 2);
    EXPECT_EQ(rig.engine.count("open"), 0);
}

TEST(TickOrder, PollsFirstThenEndOfTrackThenDrawsInOrder)
{
    PlayerRig rig;
    FillPlaylist(rig.playlist, 2);
    RecordingClock clock;
    clock.file = QStringLiteral("/music/t1.mp3");
    rig.state.CurrentFile = clock.file;
    rig.state.LyricsEditOpen = true;
    rig.tick.setLyricsClock(&clock);
    rig.state.ExpressType = 1;
    rig.state.RelativityVol = 1;
    rig.state.PlayEnd = true;
    rig.state.CurrentIndex = 1;
    rig.engine.state = 1;
    rig.engine.playMs = 187254;
    rig.tick.run();

    const auto& calls = rig.engine.calls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0], "getState");
    EXPECT_EQ(calls[1], "getPlayMs");
    EXPECT_EQ(clock.text, QStringLiteral("[03:07:25]"));
    const int open = IndexOf(calls, "open");
    const int spectrum = IndexOf(calls, "getSpectrum");
    const int lyrics = IndexOf(calls, "getLyrics");
    const int wave = IndexOf(calls, "getWave");
    ASSERT_GT(open, 1);
    EXPECT_LT(open, spectrum);
    EXPECT_LT(spectrum, lyrics);
    EXPECT_LT(lyrics, wave);
    EXPECT_EQ(wave, static_cast<int>(calls.size()) - 1); // the level meter comes last
    EXPECT_EQ(rig.engine.lastOpened, "/music/t2.mp3");
}

TEST(TickOrder, LyricsClockNamesAnotherFileWithoutAskingTheTime)
{
    PlayerRig rig;
    RecordingClock clock;
    clock.file = QStringLiteral("/music/other.mp3");
    rig.state.CurrentFile = QStringLiteral("/music/t1.mp3");
    rig.state.LyricsEditOpen = true;
    rig.tick.setLyricsClock(&clock);
    rig.tick.run();
    EXPECT_EQ(clock.text, QStringLiteral("現在別ファイルが開かれています。"));
    EXPECT_EQ(rig.engine.count("getPlayMs"), 0);
}

TEST(LyricsClockText, FormatsMinutesSecondsAndHundredths)
{
    EXPECT_EQ(LyricsClockText(187254), QStringLiteral("[03:07:25]"));
    EXPECT_EQ(LyricsClockText(5), QStringLiteral("[00:00:00]"));
    EXPECT_EQ(LyricsClockText(6000999), QStringLiteral("[100:00:99]"));
}

TEST(TrayIcon, AlternatesEveryTwoSecondsOfPlayWithTheAnimationOn)
{
    RecordingTray tray;
    MainWindowState window;
    using Image = TrayIconSink::Image;
    for (int sec : {1, 2, 3, 3, 4, 4, 5, 6})
        UpdateTrayIcon(tray, window, 1, sec, 1, QStringLiteral("title"));
    EXPECT_EQ(tray.images, (std::vector<Image>{Image::Playing1, Image::Playing2, Image::Playing1}));
    EXPECT_EQ(tray.tip, QStringLiteral("title"));
    EXPECT_EQ(window.LastIconSec, 6);
}

TEST(TrayIcon, StaysOnTheFirstImageWithoutTheAnimation)
{
    RecordingTray tray;
    MainWindowState window;
    using Image = TrayIconSink::Image;
    for (int sec : {2, 4, 6})
        UpdateTrayIcon(tray, window, 1, sec, 0, {});
    EXPECT_EQ(tray.images, (std::vector<Image>(3, Image::Playing1)));
}

TEST(TrayIcon, ShowsTheStoppedImageOnEveryTickWhenNotPlaying)
{
    RecordingTray tray;
    MainWindowState window;
    UpdateTrayIcon(tray, window, 2, 4, 1, {});
    UpdateTrayIcon(tray, window, 0, 4, 1, {});
    EXPECT_EQ(tray.images, (std::vector<TrayIconSink::Image>(2, TrayIconSink::Image::Stopped)));
}

TEST(TrayIcon, TheTickFeedsTheTitle)
{
    PlayerRig rig;
    RecordingTray tray;
    rig.tick.setTrayIcon(&tray);
    rig.state.TitleLabel = QStringLiteral("曲名");
    rig.tick.run();
    ASSERT_EQ(tray.images.size(), 1u);
    EXPECT_EQ(tray.tip, QStringLiteral("曲名"));
}
