// Track loading against the real engine on the null output, with MP3 files made by sox and lame.
#include "playlistfixture.h"

#include "engine/playbackengine.h"
#include "playlist/playlistroads.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class RealEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageBoxScript::enable();
        DialogScript::clear();
        static int serial = 0;
        folder = QString::fromStdString(TestTempDir()) + QStringLiteral("/real%1").arg(++serial);
        QDir().mkpath(folder);
        ASSERT_TRUE(engine.init());
    }
    void TearDown() override
    {
        engine.close();
        engine.free();
        MessageBoxScript::disable();
    }
    QString makeTone(const QString& name, const ToneSpec& spec = {})
    {
        const QString full = folder + QLatin1Char('/') + name;
        EXPECT_TRUE(MakeToneMp3(full.toStdString(), spec)) << LastFixtureError();
        return full;
    }

    QString folder;
    AppState state;
    PlaybackEngine engine;
    PlaylistModel model;
    TrackOps ops{state, engine, model};
};

TEST_F(RealEngineTest, OpensTagsLyricsAndAdvancesWhilePlaying)
{
    ToneSpec tagged;
    tagged.artist = "Tester";
    const QString first = makeTone(QStringLiteral("ONE.MP3"), tagged);
    const QString second = makeTone(QStringLiteral("two.mp3"));
    QFile lyrics(folder + QStringLiteral("/ONE.lrc"));
    ASSERT_TRUE(lyrics.open(QIODevice::WriteOnly));
    lyrics.write("[00:00.50]first line\r\n[00:01.00]second line\r\n");
    lyrics.close();

    PlaylistRoads roads(state, model, ops);
    DialogScript::pushAnswer(folder);
    roads.AddFromFolder(nullptr);
    ASSERT_EQ(model.count(), 2);
    EXPECT_EQ(model.rowText(1), "One.Mp3");
    EXPECT_TRUE(state.FileOpened);
    EXPECT_EQ(state.CurrentFile, first);
    EXPECT_EQ(state.ArtistLabel, "Tester");
    EXPECT_TRUE(state.LyricsLoaded);
    EXPECT_GT(state.MpegInfo.sampleRate, 0);
    int32_t sec = 0;
    EXPECT_EQ(engine.getState(sec), 1);

    ops.NextTrack();
    EXPECT_EQ(state.CurrentIndex, 2);
    EXPECT_EQ(state.CurrentFile, second);
    EXPECT_FALSE(state.LyricsLoaded);
    EXPECT_EQ(engine.getState(sec), 1);
    EXPECT_TRUE(MessageBoxScript::shown().empty());
}

TEST_F(RealEngineTest, AFlacOpensWithItsLyricsAndFollowsAnMp3AtAnotherRate)
{
    // Formats other than MPEG have no frame header facts; they open, take their .lrc and become
    // the current track all the same, opened or heard as the successor (here at 48 kHz after a
    // 44.1 kHz MP3, which the engine queues like any other).
    const QString mp3 = makeTone(QStringLiteral("a.mp3"));
    const QString flac = folder + QStringLiteral("/b.flac");
    ASSERT_EQ(RunCommand("sox -n -r 48000 -c 2 -b 16 '" + flac.toStdString() +
                         "' synth 1 sine 440 vol 0.5"),
              0);
    QFile lyrics(folder + QStringLiteral("/b.lrc"));
    ASSERT_TRUE(lyrics.open(QIODevice::WriteOnly));
    lyrics.write("[00:00.10]flac line\r\n");
    lyrics.close();
    PlaylistRoads roads(state, model, ops);
    DialogScript::pushAnswer(folder);
    roads.AddFromFolder(nullptr);
    ASSERT_EQ(model.count(), 2);
    ASSERT_EQ(state.CurrentFile, mp3);

    state.NextWanted.store(true);
    ops.QueueNext();
    ASSERT_TRUE(state.Next.accepted);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((engine.positionFrames() == 0 || engine.sampleRate() != 48000) &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(engine.sampleRate(), 48000);
    state.NextHeard.store(true);
    ops.FollowNext();
    EXPECT_EQ(state.CurrentIndex, 2);
    EXPECT_EQ(state.CurrentFile, flac);
    EXPECT_TRUE(state.LyricsLoaded);

    ops.PreviousTrack();
    ASSERT_EQ(state.CurrentFile, mp3);
    ops.NextTrack();
    EXPECT_EQ(state.CurrentFile, flac);
    EXPECT_TRUE(state.LyricsLoaded);
    EXPECT_TRUE(MessageBoxScript::shown().empty());
}

TEST_F(RealEngineTest, RowsThatCannotBeOpenedAreNamedAndTheListPlaysOn)
{
    const QString good = makeTone(QStringLiteral("good.mp3"));
    const QString other = makeTone(QStringLiteral("other.mp3"));
    QFile junk(folder + QStringLiteral("/junk.mp3"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(5000, 'j'));
    junk.close();
    const QString missing = folder + QStringLiteral("/missing.mp3");
    for (const QString& path : {good, junk.fileName(), missing, other})
        model.AddRow(path);
    int32_t sec = 0;

    // Next while playing lands on two bad rows: both named in one box, the next good row plays.
    ops.PlayRow(1);
    ops.NextTrack();
    EXPECT_EQ(MessageBoxScript::shownTexts(),
              QStringList({"Open Error\n" + junk.fileName() + "\n" + missing}));
    EXPECT_EQ(state.CurrentIndex, 4);
    EXPECT_EQ(state.CurrentFile, other);
    EXPECT_TRUE(state.FileOpened);
    EXPECT_EQ(engine.getState(sec), 1);

    // Stopped, a refused row leaves the track before it open: play plays it.
    ops.StopTrack();
    MessageBoxScript::clear();
    ops.GoToTrack(3);
    EXPECT_EQ(MessageBoxScript::shownTexts(), QStringList({"Open Error\n" + missing}));
    EXPECT_FALSE(state.FileOpened);
    EXPECT_EQ(state.CurrentFile, other);
    engine.play();
    EXPECT_EQ(engine.getState(sec), 1);
}

TEST_F(RealEngineTest, AListWhereEveryRowFailsStopsAfterOneRoundWithOneMessage)
{
    const QString good = makeTone(QStringLiteral("good.mp3"));
    state.PlayMode = 2;
    model.AddRow(good);
    ops.PlayRow(1);
    QFile junk(folder + QStringLiteral("/junk.mp3"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(5000, 'j'));
    junk.close();
    model.clear();
    for (int n = 0; n < 3; ++n)
        model.AddRow(n == 0 ? junk.fileName() : folder + QStringLiteral("/gone%1.mp3").arg(n));
    model.MakeRandomOrder();
    ops.PlayRow(2);
    EXPECT_EQ(MessageBoxScript::shownTexts(),
              QStringList({QStringLiteral("Open Error\nプレイリストの3個のファイルをどれも開けな"
                                          "かったため、再生を止めました。")}));
    int32_t sec = 0;
    EXPECT_EQ(engine.getState(sec), 0);
}

TEST_F(RealEngineTest, AFifoRowIsRefusedAtOnce)
{
    const QString fifo = folder + QStringLiteral("/pipe.mp3");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    // Should the open wait for a writer, one comes after a while so that the test ends.
    std::atomic<bool> done{false};
    std::atomic<bool> rescued{false};
    std::thread rescuer([&] {
        for (int i = 0; i < 100 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (done)
            return;
        rescued = true;
        const int fd = ::open(fifo.toLocal8Bit().constData(), O_WRONLY);
        if (fd >= 0)
            ::close(fd);
    });
    model.AddRow(fifo);
    ops.PlayRow(1);
    done = true;
    rescuer.join();
    EXPECT_FALSE(rescued);
    EXPECT_EQ(MessageBoxScript::shownTexts(), QStringList({"Open Error\n" + fifo}));
    EXPECT_FALSE(state.FileOpened);
}
