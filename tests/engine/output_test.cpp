// What reaches the device: exact samples, volume, fades, and playback through a tag rewrite.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "enginetestutil.h"
#include "meta/tagreader.h"
#include "playbackengine.h"

namespace {
class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_endNotices.store(0);
        ToneSpec spec;
        spec.seconds = 2.5;
        spec.frequencyHz = 440;
        track = ToneFixture("capture.mp3", spec);
        ASSERT_TRUE(LibraryDecode(track, reference));
        capturePath = TestTempDir() + "/" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav";
        engine = CaptureEngine(capturePath, 8);
        InputInfo info;
        ASSERT_EQ(engine->open(track, info), 1);
    }
    // Plays to the end, closes the capture and reads it.
    Pcm playToEnd()
    {
        engine->play();
        EXPECT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 10000));
        return finish();
    }
    Pcm finish()
    {
        engine->free();
        Pcm captured;
        EXPECT_TRUE(ReadSoundFile(capturePath, captured));
        return captured;
    }
    std::string track;
    std::string capturePath;
    Pcm reference;
    std::unique_ptr<PlaybackEngine> engine;
};

TEST_F(CaptureTest, DeviceGetsTheDecodedSamplesUnchanged)
{
    Pcm captured = playToEnd();
    EXPECT_EQ(captured.channels, 2);
    EXPECT_EQ(captured.sampleRate, 44100);
    EXPECT_GE(FindExactly(captured.samples, reference.samples), 0);
}

// Tracks several times longer than the ring, so the decoder's writes wrap around it many times.
class LongCaptureTest : public ::testing::TestWithParam<int> {};

TEST_P(LongCaptureTest, SamplesStayExactWhereTheRingWrapsAndMonoFillsBothChannels)
{
    const int channels = GetParam();
    g_endNotices.store(0);
    std::string track = SoxFixture("long-" + std::to_string(channels) + ".mp3",
                                   "synth 14 sine 200-3000 pinknoise vol 0.3", 44100, channels);
    Pcm reference;
    ASSERT_TRUE(LibraryDecode(track, reference));
    ASSERT_EQ(reference.channels, channels);
    std::vector<int16_t> expected;
    for (size_t i = 0; i < reference.frames(); ++i) {
        expected.push_back(reference.samples[i * channels]);
        expected.push_back(reference.samples[i * channels + channels - 1]);
    }
    std::string capture = TestTempDir() + "/long-" + std::to_string(channels) + ".wav";
    PlaybackEngine engine(CaptureConfig(capture, 16));
    engine.init();
    engine.callback(CountEndNotice);
    // The shortest queue too: its ring is the smallest, and bursts refill it most often.
    for (int32_t outBlock : {20, 1}) {
        InputInfo info;
        ASSERT_EQ(engine.open(track, info), 1);
        ASSERT_EQ(engine.setOption(30, outBlock, 5, 0), 1);
        g_endNotices.store(0);
        engine.play();
        ASSERT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 20000));
    }
    engine.free();
    Pcm captured;
    ASSERT_TRUE(ReadSoundFile(capture, captured));
    int64_t first = FindExactly(captured.samples, expected);
    ASSERT_GE(first, 0);
    std::vector<int16_t> rest(captured.samples.begin() + (first + reference.frames()) * 2,
                              captured.samples.end());
    EXPECT_GE(FindExactly(rest, expected), 0);
}

INSTANTIATE_TEST_SUITE_P(Channels, LongCaptureTest, ::testing::Values(2, 1));

// Frames with both channels zero in runs of at least minRun (underrun gaps) removed.
std::vector<int16_t> WithoutGaps(const std::vector<int16_t>& stereo, size_t minRun)
{
    std::vector<int16_t> out;
    size_t frames = stereo.size() / 2, i = 0;
    while (i < frames) {
        size_t run = 0;
        while (i + run < frames && stereo[2 * (i + run)] == 0 && stereo[2 * (i + run) + 1] == 0)
            ++run;
        if (run >= minRun) {
            i += run;
            continue;
        }
        for (size_t k = 0; k < std::max<size_t>(run, 1) && i < frames; ++k, ++i) {
            out.push_back(stereo[2 * i]);
            out.push_back(stereo[2 * i + 1]);
        }
    }
    return out;
}

TEST(UnderrunTest, DeviceBurstsDrainTheRingWithoutLosingOrRepeatingAudio)
{
    g_endNotices.store(0);
    ToneSpec spec;
    spec.seconds = 2;
    std::string track = ToneFixture("underrun.mp3", spec);
    Pcm reference;
    ASSERT_TRUE(LibraryDecode(track, reference));
    std::string capture = TestTempDir() + "/underrun.wav";
    OutputConfig config = CaptureConfig(capture, 4);
    config.nullOptions.burstEvery = 6;
    PlaybackEngine engine(config);
    engine.init();
    engine.callback(CountEndNotice);
    InputInfo info;
    ASSERT_EQ(engine.open(track, info), 1);
    ASSERT_EQ(engine.setOption(1, 1, 0, 0), 1); // the shortest queue: bursts empty it
    engine.play();
    int32_t last = 0;
    bool monotonic = true;
    ASSERT_TRUE(WaitFor(
        [&] {
            int32_t ms = engine.getPlayMs();
            int32_t sec = 0;
            if (engine.getState(sec) == 1) {
                monotonic = monotonic && ms >= last;
                last = ms;
            }
            return g_endNotices.load() == 1;
        },
        10000));
    EXPECT_TRUE(monotonic);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(g_endNotices.load(), 1);
    engine.free();
    Pcm captured;
    ASSERT_TRUE(ReadSoundFile(capture, captured));
    // A 440 Hz tone never has 64 zero frames in a row; underrun gaps always do.
    EXPECT_TRUE(WithoutGaps(captured.samples, 64) == WithoutGaps(reference.samples, 64));
    // And the bursts really starved the device somewhere inside the track.
    auto [first, end] = AudibleSpan(captured.samples, 1);
    std::vector<int16_t> inside(captured.samples.begin() + first * 2,
                                captured.samples.begin() + end * 2);
    EXPECT_LT(WithoutGaps(inside, 64).size(), inside.size());
}

TEST_F(CaptureTest, VolumeFollowsTheCubicCurveOnEachChannel)
{
    engine->setVolume(50, 100);
    Pcm captured = playToEnd();
    auto [first, last] = AudibleSpan(captured.samples, 300);
    ASSERT_GT(last, first + 44100);
    size_t middle = first + 22050;
    double left = Rms(captured.samples, 2, 0, middle, 22050);
    double right = Rms(captured.samples, 2, 1, middle, 22050);
    double source = Rms(reference.samples, 2, 0, 22050, 22050);
    EXPECT_NEAR(left / source, 0.125, 0.002);
    EXPECT_NEAR(right / source, 1.0, 0.002);
}

TEST_F(CaptureTest, VolumeChangesRampWithoutClicks)
{
    engine->play();
    ASSERT_TRUE(WaitFor([&] { return engine->getPlayMs() > 800; }, 5000));
    engine->setVolume(0, 0);
    ASSERT_TRUE(WaitFor([&] { return engine->getPlayMs() > 1200; }, 5000));
    engine->setVolume(100, 100);
    ASSERT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 10000));
    Pcm captured = finish();
    // A 440 Hz tone at half scale moves at most about 1030 per sample; a jump would exceed it.
    int maxStep = 0;
    for (size_t i = 2; i < captured.samples.size(); i += 2)
        maxStep = std::max(maxStep, std::abs(captured.samples[i] - captured.samples[i - 2]));
    EXPECT_LT(maxStep, 1100);
    // And the volume really went to silence in between.
    auto [first, last] = AudibleSpan(captured.samples, 300);
    size_t quiet = 0;
    for (size_t i = first; i < last; ++i)
        quiet +=
            std::abs(captured.samples[2 * i]) < 50 && std::abs(captured.samples[2 * i + 1]) < 50;
    EXPECT_GT(quiet, 44100 * 0.3);
}

TEST_F(CaptureTest, PauseAndRestartFadeWithoutClicksAndLoseNothing)
{
    engine->play();
    ASSERT_TRUE(WaitFor([&] { return engine->getPlayMs() > 700; }, 5000));
    engine->pause();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    engine->restart();
    ASSERT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 10000));
    Pcm captured = finish();
    int maxStep = 0;
    for (size_t i = 2; i < captured.samples.size(); i += 2)
        maxStep = std::max(maxStep, std::abs(captured.samples[i] - captured.samples[i - 2]));
    EXPECT_LT(maxStep, 1100);
    // The pause shows as a gap of silence; the audio on either side is the track, in order.
    auto [first, last] = AudibleSpan(captured.samples, 1);
    EXPECT_GT((last - first) * 1000.0 / 44100, 2500 + 100);
}

TEST_F(CaptureTest, FadeInRisesOverOneSecond)
{
    engine->setFadeIn(1);
    Pcm captured = playToEnd();
    auto [first, last] = AudibleSpan(captured.samples, 1);
    double full = Rms(reference.samples, 2, 0, 1600 * 44, 4410);
    double atQuarter = Rms(captured.samples, 2, 0, first + 11025 - 2205, 4410);
    double atHalf = Rms(captured.samples, 2, 0, first + 22050 - 2205, 4410);
    double after = Rms(captured.samples, 2, 0, first + 66150, 4410);
    EXPECT_NEAR(atQuarter / full, 0.25, 0.03);
    EXPECT_NEAR(atHalf / full, 0.5, 0.03);
    EXPECT_NEAR(after / full, 1.0, 0.01);
}

TEST_F(CaptureTest, FadeOutFallsOverTwoSecondsThenStopsWithoutEndNotice)
{
    ToneSpec spec;
    spec.seconds = 4;
    std::string longer = ToneFixture("fadeout.mp3", spec);
    InputInfo info;
    ASSERT_EQ(engine->open(longer, info), 1);
    engine->play();
    ASSERT_TRUE(WaitFor([&] { return engine->getPlayMs() > 500; }, 5000));
    int32_t from = engine->getPlayMs();
    engine->fadeOut();
    int32_t sec = 0;
    EXPECT_EQ(engine->getState(sec), 1);
    ASSERT_TRUE(WaitFor([&] { return engine->getState(sec) == 0; }, 5000));
    EXPECT_EQ(engine->getPlayMs(), 0);
    EXPECT_EQ(g_endNotices.load(), 0);
    Pcm captured = finish();
    auto [first, last] = AudibleSpan(captured.samples, 20);
    double audibleMs = (last - first) * 1000.0 / 44100;
    EXPECT_NEAR(audibleMs, from + 2000, 150);
}

TEST_F(CaptureTest, TagRewriteWhilePlayingGoesOnFromTheSameSample)
{
    engine->play();
    ASSERT_TRUE(WaitFor([&] { return engine->getPlayMs() > 700; }, 5000));
    TagInfo tag;
    tag.title = "再生中の書き込み";
    tag.artist = "テスト";
    EXPECT_EQ(engine->setTagInfo(track, tag, 1, 0), 1);
    EXPECT_EQ(engine->setTagInfo(track, tag, 1, 1), 1);
    ASSERT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 10000));
    TagInfo got;
    EXPECT_EQ(engine->getTagInfo(got), 1);
    EXPECT_EQ(got.title, tag.title);
    Pcm captured = finish();
    EXPECT_GE(FindExactly(captured.samples, reference.samples), 0);
}
} // namespace
