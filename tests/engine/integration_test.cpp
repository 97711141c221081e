// The engine's use of the tag, MPEG, lyrics and analysis components on the open track.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "enginetestutil.h"
#include "playbackengine.h"

namespace {
class IntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ToneSpec spec;
        spec.seconds = 3;
        spec.frequencyHz = 1000;
        spec.title = "こんにちは";
        spec.artist = "Artist";
        track = ToneFixture("tagged.mp3", spec);
        OutputConfig config;
        config.kind = OutputConfig::Kind::Null;
        config.nullOptions.speed = 1;
        engine = std::make_unique<PlaybackEngine>(config);
        engine->init();
        ASSERT_EQ(engine->open(track, info), 1);
    }
    std::string track;
    InputInfo info;
    std::unique_ptr<PlaybackEngine> engine;
};

TEST_F(IntegrationTest, OpenFillsTitleAndArtistFromTheTag)
{
    EXPECT_EQ(info.title, "こんにちは");
    EXPECT_EQ(info.artist, "Artist");
    TagInfo tag;
    EXPECT_NE(engine->getTagInfo(tag), 0);
    EXPECT_EQ(tag.title, "こんにちは");
    MpegInfo mpeg;
    ASSERT_NE(engine->getMpegInfo(mpeg), 0);
    EXPECT_EQ(mpeg.version, 1);
    EXPECT_EQ(mpeg.layer, 3);
    EXPECT_EQ(mpeg.sampleRate, 44100);
    EXPECT_NEAR(mpeg.lengthMs, 3000, 30);
}

TEST_F(IntegrationTest, LyricsFollowThePosition)
{
    std::string lrc = TestTempDir() + "/tagged.lrc";
    std::ofstream(lrc) << "[ti:x]\n[00:00.50]one\n[00:01.00]two\n[00:01.50]three\n";
    ASSERT_EQ(engine->setLyricsFile(lrc), 1);
    LyricsRecord record;
    EXPECT_EQ(engine->getLyrics(record), 0);
    engine->seekMs(1200);
    ASSERT_NE(engine->getLyrics(record), 0);
    EXPECT_EQ(record.lines[1], "one");
    EXPECT_EQ(record.lines[2], "two");
    EXPECT_EQ(record.lines[3], "three");
    EXPECT_EQ(engine->setLyricsFile(TestTempDir() + "/none.lrc"), 0);
}

TEST_F(IntegrationTest, SpectrumAndWaveShowTheToneOnlyWhilePlaying)
{
    int32_t left[256], right[256];
    std::fill(left, left + 256, 7);
    engine->getSpectrum(left, right);
    EXPECT_TRUE(std::all_of(left, left + 256, [](int32_t v) { return v == 0; }));
    engine->play();
    ASSERT_TRUE(WaitFor([&] { return engine->getPlayMs() > 400; }, 3000));
    ASSERT_NE(engine->getSpectrum(left, right), 0);
    int peak = static_cast<int>(std::max_element(left, left + 256) - left);
    EXPECT_NEAR(peak, 1000.0 / (22050.0 / 256), 1.5);
    EXPECT_GT(left[peak], 80);
    ASSERT_NE(engine->getWave(left, right), 0);
    EXPECT_GT(*std::max_element(left, left + 256), 30);
    EXPECT_LT(*std::min_element(left, left + 256), -30);
    engine->pause();
    engine->getWave(left, right);
    EXPECT_TRUE(std::all_of(left, left + 256, [](int32_t v) { return v == 0; }));
}
} // namespace

namespace {
OutputConfig NullAt(double speed)
{
    OutputConfig config;
    config.kind = OutputConfig::Kind::Null;
    config.nullOptions.speed = speed;
    return config;
}

TEST(ChannelsTest, LeftAndRightKeepTheirOwnSound)
{
    std::string path = SoxFixture("left440-right3000.mp3", "synth 3 sine 440 sine 3000 vol 0.5");
    PlaybackEngine engine(NullAt(1));
    engine.init();
    InputInfo info;
    ASSERT_EQ(engine.open(path, info), 1);
    engine.play();
    ASSERT_TRUE(WaitFor([&] { return engine.getPlayMs() > 400; }, 3000));
    int32_t left[256], right[256];
    ASSERT_NE(engine.getSpectrum(left, right), 0);
    const double bandHz = 22050.0 / 256;
    EXPECT_NEAR(std::max_element(left, left + 256) - left, 440 / bandHz, 1.5);
    EXPECT_NEAR(std::max_element(right, right + 256) - right, 3000 / bandHz, 1.5);
}

TEST(ChannelsTest, SilenceShowsNothing)
{
    std::string path = SoxFixture("silence.mp3", "trim 0 2");
    PlaybackEngine engine(NullAt(1));
    engine.init();
    InputInfo info;
    ASSERT_EQ(engine.open(path, info), 1);
    engine.play();
    ASSERT_TRUE(WaitFor([&] { return engine.getPlayMs() > 400; }, 3000));
    int32_t left[256], right[256];
    engine.getSpectrum(left, right);
    // The encoder's "silence" decodes to noise of a couple of LSB: near the floor, far from a tone.
    EXPECT_LE(*std::max_element(left, left + 256), 20);
    engine.getWave(left, right);
    EXPECT_EQ(*std::max_element(left, left + 256), 0);
}

TEST(LongTrackTest, TenMinutesOpenSeekAndEnd)
{
    // Small on disk: 8 kHz mono at 8 kbit/s.
    std::string path = SoxFixture("ten-minutes.mp3", "synth 600 sine 300", 8000, 1, 8);
    PlaybackEngine engine(NullAt(4));
    engine.init();
    g_endNotices.store(0);
    engine.callback(CountEndNotice);
    InputInfo info;
    ASSERT_EQ(engine.open(path, info), 1);
    EXPECT_EQ(info.totalSec, 600);
    engine.seek(599);
    EXPECT_EQ(engine.getPlayMs(), 599000);
    engine.play();
    ASSERT_TRUE(WaitFor([&] { return engine.getPlayMs() > 599100; }, 3000));
    engine.seek(300);
    ASSERT_TRUE(WaitFor(
        [&] {
            int32_t ms = engine.getPlayMs();
            return ms > 300050 && ms < 301000;
        },
        3000));
    engine.seek(600);
    EXPECT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 3000));
}
} // namespace
