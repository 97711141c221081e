// Opening tracks and the transport rules, against the engine test double.
#include "playlistfixture.h"

#include "settings/settingsstore.h"

#include <QDir>

using namespace std::string_literals;

class TrackOpsTest : public PlaylistFixture {
protected:
    void addRows(int n)
    {
        for (int i = 1; i <= n; ++i)
            model.AddRow(QStringLiteral("/music/Track%1.mp3").arg(i));
    }
    std::string rowPath(int n) const { return model.rowPath(n).toStdString(); }
};

TEST_F(TrackOpsTest, OpenOnEmptyListDoesNothing)
{
    ops.OpenTrack(writeMp3(QStringLiteral("a.mp3")));
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_FALSE(state.FileOpened);
}

TEST_F(TrackOpsTest, SuccessfulOpenBringsStateInLine)
{
    addRows(3);
    state.CurrentIndex = 2;
    state.Volume = 65;
    state.Mute = true;
    state.TitlePos = 40;
    engine.tag.artist = "Artist \0\0"s;
    engine.lyricsFileResult = 1;
    QStringList captions;
    std::vector<int> currentRows;
    QObject::connect(&ops, &TrackOps::captionChanged, [&](const QString& t) { captions << t; });
    QObject::connect(&ops, &TrackOps::currentRowChanged, [&](int n) { currentRows.push_back(n); });

    ops.OpenTrack(model.rowPath(2));
    EXPECT_EQ(opened(), rowPath(2));
    EXPECT_TRUE(state.FileOpened);
    EXPECT_EQ(state.ArtistLabel, "Artist");
    EXPECT_TRUE(state.ShowInfo);
    EXPECT_EQ(state.TitleLabel, "Track2.mp3");
    EXPECT_EQ(engine.lastLyricsFile, "/music/Track2.lrc");
    EXPECT_TRUE(state.LyricsLoaded);
    EXPECT_FALSE(state.Mute);
    EXPECT_EQ(engine.volumeLeft, 65);
    EXPECT_EQ(engine.volumeRight, 65);
    EXPECT_EQ(state.CurrentFile, model.rowPath(2));
    EXPECT_EQ(state.CurrentTitle, "Track2.mp3");
    EXPECT_EQ(captions, QStringList({"Track2.mp3"}));
    EXPECT_EQ(state.TitlePos, 0);
    EXPECT_TRUE(state.TitleReset);
    EXPECT_EQ(model.markedRow(), 2);
    EXPECT_EQ(currentRows, std::vector<int>({2}));
    EXPECT_EQ(engine.count("play"), 0);
}

TEST_F(TrackOpsTest, OpeningATrackDropsAnEndLeftOverFromThePreviousOne)
{
    addRows(2);
    state.PlayEnd = true;  // the old track ended while a dialog held the ticks
    ops.OpenTrack(model.rowPath(1));
    EXPECT_FALSE(state.PlayEnd.load());
}

TEST_F(TrackOpsTest, RefusedFileSaysOpenErrorAndKeepsThePreviousTrack)
{
    addRows(2);
    ops.OpenTrack(model.rowPath(1));
    engine.openResult = 0;
    state.CurrentIndex = 2;
    ops.OpenTrack(model.rowPath(2));
    ASSERT_EQ(MessageBoxScript::shownTexts(), QStringList({"Open Error\n" + model.rowPath(2)}));
    EXPECT_EQ(MessageBoxScript::shown()[0].caption, kAppTitle);
    EXPECT_EQ(MessageBoxScript::shown()[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(state.FileOpened);
    EXPECT_EQ(state.CurrentFile, model.rowPath(1));
    EXPECT_EQ(state.CurrentTitle, "Track1.mp3");
    EXPECT_EQ(model.markedRow(), 1);
}

TEST_F(TrackOpsTest, NoMpegInformationUpdatesOnlyTheLabels)
{
    addRows(1);
    engine.mpegResult = 0;
    engine.tag.artist = "Someone";
    ops.OpenTrack(model.rowPath(1));
    EXPECT_TRUE(state.FileOpened);
    EXPECT_EQ(state.ArtistLabel, "Someone");
    EXPECT_EQ(state.TitleLabel, "Track1.mp3");
    EXPECT_TRUE(state.OptionChanged);
    EXPECT_EQ(engine.count("setOption"), 0);
    EXPECT_EQ(engine.count("setLyricsFile"), 0);
    EXPECT_EQ(engine.count("setVolume"), 0);
    EXPECT_TRUE(state.CurrentFile.isEmpty());
    EXPECT_EQ(model.markedRow(), 0);
}

TEST_F(TrackOpsTest, BufferOptionsGoOnceAndARefusalSaysTheRule)
{
    addRows(1);
    engine.optionResult = 0;
    ops.OpenTrack(model.rowPath(1));
    ASSERT_EQ(MessageBoxScript::shownTexts().size(), 1);
    EXPECT_TRUE(MessageBoxScript::shownTexts()[0].endsWith(kLoadSettingsRule));
    EXPECT_FALSE(state.OptionChanged);
    EXPECT_EQ(state.CurrentFile, model.rowPath(1)); // the open goes on after the message
    ops.OpenTrack(model.rowPath(1));
    EXPECT_EQ(engine.count("setOption"), 1);
}

TEST_F(TrackOpsTest, TrackWithoutTagDoesNotKeepThePreviousArtist)
{
    addRows(2);
    engine.tag.artist = "First";
    ops.OpenTrack(model.rowPath(1));
    engine.tagResult = 0;
    ops.OpenTrack(model.rowPath(2));
    EXPECT_TRUE(state.ArtistLabel.isEmpty());
}

TEST_F(TrackOpsTest, CurrentIndexZeroBecomesRowOne)
{
    addRows(2);
    state.CurrentIndex = 0;
    ops.OpenTrack(model.rowPath(1));
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(state.TitleLabel, "Track1.mp3");
    EXPECT_EQ(model.markedRow(), 1);
}

TEST_F(TrackOpsTest, CurrentIndexNamingNoRowIsNoRow)
{
    addRows(3);
    state.CurrentIndex = 3;
    model.removeRow1(3);
    model.removeRow1(2);
    ops.PlayCurrent();
    EXPECT_TRUE(engine.calls.empty());
    ops.OpenTrack(model.rowPath(1)); // a caller that did not fix CurrentIndex: no crash
    EXPECT_TRUE(state.TitleLabel.isEmpty());
    EXPECT_EQ(model.markedRow(), 0);
    state.CurrentIndex = 7;
    ops.NextTrack();
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(opened(), rowPath(1));
    state.CurrentIndex = -3;
    ops.PlayRow(state.CurrentIndex);
    EXPECT_EQ(engine.count("play"), 0);
}

TEST_F(TrackOpsTest, GoToTrackOnEmptyListStopsAndClears)
{
    state.CurrentFile = "/old.mp3";
    state.CurrentTitle = "Old";
    ops.GoToTrack(3);
    EXPECT_EQ(engine.count("stop"), 1);
    EXPECT_TRUE(state.CurrentFile.isEmpty());
    EXPECT_TRUE(state.CurrentTitle.isEmpty());
    EXPECT_EQ(engine.count("open"), 0);
}

TEST_F(TrackOpsTest, NextAndPreviousWrapAround)
{
    addRows(4);
    state.CurrentIndex = 4;
    ops.NextTrack();
    EXPECT_EQ(state.CurrentIndex, 1);
    EXPECT_EQ(opened(), rowPath(1));
    ops.PreviousTrack();
    EXPECT_EQ(state.CurrentIndex, 4);
    EXPECT_EQ(opened(), rowPath(4));
    ops.PreviousTrack();
    EXPECT_EQ(state.CurrentIndex, 3);
}

TEST_F(TrackOpsTest, NextPlaysOnlyWhenThePlayerWasPlaying)
{
    addRows(3);
    state.CurrentIndex = 1;
    engine.state = 2;
    ops.NextTrack();
    EXPECT_EQ(opened(), rowPath(2));
    EXPECT_EQ(engine.count("play"), 0);
    engine.state = 0;
    ops.NextTrack();
    EXPECT_EQ(engine.count("play"), 0);
    engine.state = 1;
    ops.NextTrack();
    EXPECT_EQ(opened(), rowPath(1));
    EXPECT_EQ(engine.count("play"), 1);
    EXPECT_EQ(engine.state, 1);
}

TEST_F(TrackOpsTest, RandomModeStepsForwardThroughListOneBothWays)
{
    addRows(4);
    model.List1 = {3, 1, 4, 2};
    state.PlayMode = 2;
    state.RandomPos = 0;
    state.CurrentIndex = 2;
    ops.NextTrack();
    EXPECT_EQ(state.RandomPos, 1);
    EXPECT_EQ(state.CurrentIndex, 3);
    ops.PreviousTrack();
    EXPECT_EQ(state.RandomPos, 2);
    EXPECT_EQ(state.CurrentIndex, 1);
    ops.NextTrack();
    ops.NextTrack();
    EXPECT_EQ(state.CurrentIndex, 2);
    ops.NextTrack(); // past the last entry: back to the first
    EXPECT_EQ(state.RandomPos, 1);
    EXPECT_EQ(state.CurrentIndex, 3);
    EXPECT_EQ(opened(), rowPath(3));
}

TEST_F(TrackOpsTest, RandomModeWithoutShuffledOrderStillMoves)
{
    addRows(2);
    state.PlayMode = 2;
    state.CurrentIndex = 2;
    ops.NextTrack();
    EXPECT_EQ(state.CurrentIndex, 1);
}

TEST_F(TrackOpsTest, PauseTogglesOnlyAPlayingOrPausedPlayer)
{
    engine.state = 0;
    ops.TogglePause();
    EXPECT_EQ(engine.count("pause") + engine.count("restart"), 0);
    engine.state = 1;
    ops.TogglePause();
    EXPECT_EQ(engine.state, 2);
    ops.TogglePause();
    EXPECT_EQ(engine.state, 1);
}

TEST_F(TrackOpsTest, PlayAndStopEndADecode)
{
    state.Decoding = true;
    ops.PlayTrack();
    EXPECT_FALSE(state.Decoding);
    state.Decoding = true;
    ops.StopTrack();
    EXPECT_FALSE(state.Decoding);
    EXPECT_EQ(engine.calls, std::vector<std::string>({"play", "stop"}));
}

TEST_F(TrackOpsTest, PlayButtonOnAPlayingTrackOpensItAgain)
{
    addRows(2);
    state.CurrentIndex = 2;
    ops.PlayCurrent();
    ops.PlayCurrent();
    EXPECT_EQ(engine.count("open"), 2);
    EXPECT_EQ(engine.count("play"), 2);
    EXPECT_EQ(opened(), rowPath(2));
}

TEST_F(TrackOpsTest, PlayRowMakesItCurrentAndPlaysIt)
{
    addRows(3);
    ops.PlayRow(3);
    EXPECT_EQ(state.CurrentIndex, 3);
    EXPECT_EQ(opened(), rowPath(3));
    EXPECT_EQ(engine.calls.back(), "play");
    EXPECT_EQ(state.CurrentTitle, "Track3.mp3");
}
