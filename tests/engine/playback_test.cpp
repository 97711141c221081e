// The engine's transport: states, positions, the end notice, the clock against what is heard,
// buffer options, bad files and repeated init/free.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>

#include "enginetestutil.h"
#include "playbackengine.h"

namespace {
OutputConfig FastNull(double speed = 8.0)
{
    OutputConfig config;
    config.kind = OutputConfig::Kind::Null;
    config.nullOptions.speed = speed;
    return config;
}

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_endNotices.store(0);
        ToneSpec spec;
        spec.seconds = 2.0;
        tone = ToneFixture("transport.mp3", spec);
    }
    std::string tone;
};

TEST_F(PlaybackTest, OpenReportsTheTrackStoppedAtZero)
{
    PlaybackEngine engine(FastNull());
    ASSERT_EQ(engine.init(), 1);
    InputInfo info;
    ASSERT_EQ(engine.open(tone, info), 1);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_EQ(info.bitRate, 128);
    EXPECT_EQ(info.totalSec, 2);
    EXPECT_TRUE(info.title.empty());
    int32_t sec = -1;
    EXPECT_EQ(engine.getState(sec), 0);
    EXPECT_EQ(sec, 0);
    EXPECT_EQ(engine.getPlayMs(), 0);
    EXPECT_GT(engine.getVersion(), 0);
}

TEST_F(PlaybackTest, VbrBitRateIsTheFileAverage)
{
    ToneSpec spec;
    spec.seconds = 3;
    spec.bitRate = 0;
    std::string vbr = ToneFixture("average.mp3", spec);
    PlaybackEngine engine(FastNull());
    InputInfo info;
    ASSERT_EQ(engine.open(vbr, info), 1);
    double average = std::filesystem::file_size(vbr) * 8.0 / 3.0 / 1000;
    EXPECT_NEAR(info.bitRate, average, average * 0.05);
    EXPECT_EQ(info.totalSec, 3);
}

TEST_F(PlaybackTest, StatesFollowPlayPauseRestartStop)
{
    PlaybackEngine engine(FastNull(2.0));
    engine.init();
    InputInfo info;
    ASSERT_EQ(engine.open(tone, info), 1);
    int32_t sec = 0;
    engine.play();
    EXPECT_EQ(engine.getState(sec), 1);
    ASSERT_TRUE(WaitFor([&] { return engine.getPlayMs() > 300; }, 3000));
    engine.pause();
    EXPECT_EQ(engine.getState(sec), 2);
    // Paused, the position settles and then holds still.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    int32_t held = engine.getPlayMs();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(engine.getPlayMs(), held);
    EXPECT_GT(held, 300);
    engine.restart();
    EXPECT_EQ(engine.getState(sec), 1);
    ASSERT_TRUE(WaitFor([&] { return engine.getPlayMs() > held + 100; }, 3000));
    engine.stop();
    EXPECT_EQ(engine.getState(sec), 0);
    EXPECT_EQ(engine.getPlayMs(), 0);
    EXPECT_EQ(g_endNotices.load(), 0);
}

TEST_F(PlaybackTest, SeekWhileStoppedOrPausedSetsThePosition)
{
    PlaybackEngine engine(FastNull(1.0));
    engine.init();
    InputInfo info;
    ASSERT_EQ(engine.open(tone, info), 1);
    engine.seek(1);
    EXPECT_EQ(engine.getPlayMs(), 1000);
    engine.seek(99); // clamped to the end
    EXPECT_EQ(engine.positionFrames(), engine.lengthFrames());
    engine.seek(-5);
    EXPECT_EQ(engine.getPlayMs(), 0);
    engine.seek(1);
    engine.play();
    ASSERT_TRUE(WaitFor([&] { return engine.getPlayMs() >= 1050; }, 2000));
    engine.pause();
    engine.seek(0);
    EXPECT_EQ(engine.getPlayMs(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(engine.getPlayMs(), 0); // paused: the new position waits, unheard
    engine.restart();
    ASSERT_TRUE(WaitFor([&] { return engine.getPlayMs() > 100; }, 2000));
    EXPECT_LT(engine.getPlayMs(), 700);
}

TEST_F(PlaybackTest, EndOfTrackNotifiesOnceAndRewinds)
{
    PlaybackEngine engine(FastNull(8.0));
    engine.init();
    engine.callback(CountEndNotice);
    InputInfo info;
    ASSERT_EQ(engine.open(tone, info), 1);
    engine.play();
    int32_t sec = 0;
    ASSERT_TRUE(WaitFor([&] { return g_endNotices.load() > 0; }, 5000));
    EXPECT_EQ(engine.getState(sec), 0);
    EXPECT_EQ(engine.getPlayMs(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(g_endNotices.load(), 1);
    // The next play starts the track again and ends it again.
    engine.play();
    ASSERT_TRUE(WaitFor([&] { return g_endNotices.load() == 2; }, 5000));
}

TEST_F(PlaybackTest, EndComesAfterTheLastFrameIsHeard)
{
    // With a long device latency the end notice must wait for the audio still in the device.
    OutputConfig config = FastNull(1.0);
    config.nullOptions.latencyMs = 300;
    PlaybackEngine engine(config);
    engine.init();
    engine.callback(CountEndNotice);
    InputInfo info;
    ASSERT_EQ(engine.open(tone, info), 1);
    engine.seekMs(1500);
    engine.play();
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([&] { return g_endNotices.load() > 0; }, 5000));
    double elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    double remainingMs = (engine.lengthFrames() - 1500 * 44.1) / 44.1;
    EXPECT_GT(elapsedMs, remainingMs + 300 - 40);
    EXPECT_LT(elapsedMs, remainingMs + 300 + 400);
}

TEST_F(PlaybackTest, TracksAtAnotherRateFollowWithinFiftyMs)
{
    // MP3s of 44.1, 24 and 12 kHz in one list: each successor is queued although its rate
    // differs, and the device, opened again at its rate, plays it at most 50 ms after the last
    // frame of the track before (as played and with a new pitch, through the stretcher).
    const std::string a = SoxFixture("rate-a.mp3", "synth 0.6 sine 1000 vol 0.5", 44100, 2, 192);
    const std::string b = SoxFixture("rate-b.mp3", "synth 0.6 sine 1000 vol 0.5", 24000, 2, 64);
    const std::string c = SoxFixture("rate-c.mp3", "synth 0.6 sine 1000 vol 0.5", 12000, 2, 32);
    for (int pitch : {100, 150}) {
        SCOPED_TRACE("pitch " + std::to_string(pitch));
        g_endNotices.store(0);
        std::mutex mutex;
        std::map<int, std::pair<double, double>> loudNs; // rate: first and last loud frame heard
        std::atomic<PlaybackEngine*> playing{nullptr};
        OutputConfig config = FastNull(1.0);
        config.tap = [&](const int16_t* frames, int count, int64_t heardEndNs) {
            PlaybackEngine* engine = playing.load();
            if (!engine)
                return;
            const int rate = engine->output()->sampleRate();
            std::lock_guard lock(mutex);
            for (int i = 0; i < count; ++i) {
                if (std::abs(frames[2 * i]) < 2000)
                    continue;
                const double at = heardEndNs - (count - 1 - i) * 1e9 / rate;
                auto [entry, added] = loudNs.try_emplace(rate, at, at);
                entry->second.second = at;
            }
        };
        PlaybackEngine engine(config);
        engine.init();
        engine.callback(CountEndNotice);
        engine.setPitch(pitch);
        InputInfo info;
        ASSERT_EQ(engine.open(a, info), 1);
        engine.play(); // the output exists from here on (it is started in place at a new rate)
        playing.store(&engine);
        ASSERT_EQ(engine.setNextTrack(b, info), 1);
        ASSERT_TRUE(WaitFor(
            [&] { return engine.positionFrames() > 0 && engine.sampleRate() == 24000; }, 3000));
        ASSERT_EQ(engine.setNextTrack(c, info), 1);
        ASSERT_TRUE(WaitFor([&] { return g_endNotices.load() > 0; }, 4000));
        engine.free();
        std::lock_guard lock(mutex);
        ASSERT_EQ(loudNs.size(), 3u);
        // Each track sounds whole, at its own rate (the stretcher's start is quiet for ~16 ms).
        for (auto [rate, span] : loudNs)
            EXPECT_NEAR((span.second - span.first) / 1e6, 600, 30) << rate << " Hz";
        EXPECT_LT((loudNs[24000].first - loudNs[44100].second) / 1e6, 50);
        EXPECT_LT((loudNs[12000].first - loudNs[24000].second) / 1e6, 50);
        EXPECT_GT(loudNs[24000].first, loudNs[44100].second);
        EXPECT_GT(loudNs[12000].first, loudNs[24000].second);
    }
}

// The bound is 20 ms of listening time, so 20 ms of track time per step of tempo.
struct ClockCase {
    int pitchPercent;
    int tempoStep;
    double toleranceMs;
};

class ClockTest : public PlaybackTest, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(ClockTest, PositionMatchesTheSampleHeard)
{
    // One second of silence, then a tone: when the tone's first frame is heard, the clock must
    // say one second; later readings advance with the output clock times the tempo.
    const ClockCase& param = GetParam();
    std::string path = SoxFixture("onset.mp3", "synth 1 sine 1000 vol 0.5 pad 1 0");
    Pcm reference;
    ASSERT_TRUE(LibraryDecode(path, reference));
    size_t onsetFrame = 0;
    while (onsetFrame < reference.frames() && std::abs(reference.samples[onsetFrame * 2]) < 2000)
        ++onsetFrame;
    std::mutex mutex;
    int64_t onsetHeardNs = -1;
    OutputConfig config = FastNull(1.0);
    config.nullOptions.latencyMs = 120;
    config.tap = [&](const int16_t* frames, int count, int64_t heardEndNs) {
        std::lock_guard lock(mutex);
        if (onsetHeardNs >= 0)
            return;
        for (int i = 0; i < count; ++i)
            if (std::abs(frames[2 * i]) >= 2000) {
                onsetHeardNs = heardEndNs - static_cast<int64_t>((count - 1 - i) * 1e9 / 44100);
                return;
            }
    };
    PlaybackEngine engine(config);
    engine.init();
    InputInfo info;
    ASSERT_EQ(engine.open(path, info), 1);
    engine.setPitch(param.pitchPercent);
    engine.setStepPitch(param.tempoStep, 5);
    engine.seekMs(1000 - 300 * param.tempoStep);
    engine.play();
    std::vector<std::pair<int64_t, int32_t>> readings;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    while (std::chrono::steady_clock::now() < until) {
        int64_t now = engine.output()->nowNs();
        readings.emplace_back(now, engine.getPlayMs());
        std::this_thread::sleep_for(std::chrono::milliseconds(7));
    }
    engine.stop();
    std::lock_guard lock(mutex);
    ASSERT_GE(onsetHeardNs, 0);
    double onsetMs = onsetFrame * 1000.0 / 44100;
    int checked = 0;
    double bias = 0;
    for (auto [now, ms] : readings) {
        if (now < onsetHeardNs - 200000000)
            continue; // well before the tone, during start-up
        double expected = onsetMs + (now - onsetHeardNs) / 1e6 * param.tempoStep;
        if (expected > 1950)
            break; // the track's end
        EXPECT_NEAR(ms, expected, param.toleranceMs)
            << "at " << (now - onsetHeardNs) / 1e6 << " ms from onset";
        bias += ms - expected;
        ++checked;
    }
    EXPECT_GT(checked, 15);
    // No drift either: the mean error is well inside the bound.
    EXPECT_LT(std::abs(bias / checked), param.toleranceMs * 0.75);
}

INSTANTIATE_TEST_SUITE_P(PitchAndTempo, ClockTest,
                         ::testing::Values(ClockCase{100, 1, 20.0}, ClockCase{150, 1, 20.0},
                                           ClockCase{100, 2, 40.0}, ClockCase{70, 3, 60.0}));

TEST_F(PlaybackTest, SetOptionChecksItsRanges)
{
    PlaybackEngine engine(FastNull());
    engine.init();
    EXPECT_EQ(engine.setOption(30, 20, 5, 0), 1);
    EXPECT_EQ(engine.setOption(1, 1, 0, 1000), 1);
    EXPECT_EQ(engine.setOption(1000, 1000, 1000, 0), 1);
    EXPECT_EQ(engine.setOption(0, 1, 0, 0), 0);
    EXPECT_EQ(engine.setOption(1001, 1, 0, 0), 0);
    EXPECT_EQ(engine.setOption(10, 11, 0, 0), 0);
    EXPECT_EQ(engine.setOption(10, 0, 0, 0), 0);
    EXPECT_EQ(engine.setOption(10, 5, -1, 0), 0);
    EXPECT_EQ(engine.setOption(10, 5, 0, 1001), 0);
    // Every accepted setting plays a track to its end.
    engine.callback(CountEndNotice);
    InputInfo info;
    ASSERT_EQ(engine.open(tone, info), 1);
    ASSERT_EQ(engine.setOption(1, 1, 3, 2), 1);
    engine.play();
    EXPECT_TRUE(WaitFor([&] { return g_endNotices.load() == 1; }, 5000));
}

TEST_F(PlaybackTest, FreeAndInitAnyNumberOfTimes)
{
    PlaybackEngine engine(FastNull(8.0));
    for (int round = 0; round < 5; ++round) {
        ASSERT_EQ(engine.init(), 1);
        engine.callback(CountEndNotice);
        InputInfo info;
        ASSERT_EQ(engine.open(tone, info), 1);
        engine.play();
        if (round % 2) {
            ASSERT_TRUE(WaitFor([&] { return engine.getPlayMs() > 200; }, 3000));
        }
        engine.close();
        engine.free();
        engine.free();
    }
    EXPECT_EQ(g_endNotices.load(), 0);
}

class BadInputTest : public PlaybackTest {
protected:
    std::string write(const std::string& name, const std::string& bytes)
    {
        std::string path = TestTempDir() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // Opening either fails cleanly or the file plays to a clean end.
    void expectCleanOpenOrEnd(const std::string& path)
    {
        PlaybackEngine engine(FastNull(16.0));
        engine.init();
        g_endNotices.store(0);
        engine.callback(CountEndNotice);
        InputInfo info;
        if (engine.open(path, info) == 0) {
            int32_t sec = 0;
            EXPECT_EQ(engine.getState(sec), 0) << path;
            MpegInfo mpeg;
            EXPECT_EQ(engine.getMpegInfo(mpeg), 0) << path;
            engine.play(); // nothing open: ignored
            EXPECT_EQ(engine.getState(sec), 0) << path;
            return;
        }
        engine.play();
        EXPECT_TRUE(WaitFor([&] { return g_endNotices.load() == 1; }, 20000)) << path;
    }
};

TEST_F(BadInputTest, MissingEmptyTextRandomAndWavFilesFailOrEndCleanly)
{
    std::mt19937 random(7);
    std::string noise(20000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    std::string wav = TestTempDir() + "/bad.wav";
    RunCommand("sox -n -r 44100 -c 2 -b 16 '" + wav + "' synth 0.5 sine 300 2>/dev/null");
    std::string id3Only = "ID3\x03" + std::string("\0\0\0\0\x10", 5) + std::string(16, 'x');
    for (const std::string& path :
         {TestTempDir() + "/does-not-exist.mp3", write("empty.mp3", ""),
          write("text.mp3", "This is not an MP3 file at all.\nJust text.\n"),
          write("noise.mp3", noise), wav, write("id3only.mp3", id3Only), TestTempDir()})
        expectCleanOpenOrEnd(path);
}

TEST_F(BadInputTest, TruncatedAndDamagedMp3sEndCleanly)
{
    std::ifstream in(tone, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    expectCleanOpenOrEnd(write("half.mp3", bytes.substr(0, bytes.size() / 2)));
    expectCleanOpenOrEnd(write("head.mp3", bytes.substr(0, 300)));
    std::string damaged = bytes;
    for (size_t i = 2000; i < damaged.size(); i += 397)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
    expectCleanOpenOrEnd(write("damaged.mp3", damaged));
}

TEST_F(BadInputTest, FileShrinkingWhilePlayingEndsTheTrack)
{
    ToneSpec spec;
    spec.seconds = 6;
    std::string path = TestTempDir() + "/shrinking.mp3";
    ASSERT_TRUE(MakeToneMp3(path, spec));
    PlaybackEngine engine(FastNull(4.0));
    engine.init();
    engine.callback(CountEndNotice);
    InputInfo info;
    ASSERT_EQ(engine.open(path, info), 1);
    engine.setOption(1, 1, 0, 0);
    engine.play();
    ASSERT_TRUE(WaitFor([&] { return engine.getPlayMs() > 200; }, 3000));
    ASSERT_EQ(truncate(path.c_str(), 8000), 0);
    EXPECT_TRUE(WaitFor([&] { return g_endNotices.load() == 1; }, 5000));
    int32_t sec = 0;
    EXPECT_EQ(engine.getState(sec), 0);
}
} // namespace

namespace {
TEST_F(PlaybackTest, SdlOutputPlaysThroughTheDummyDriver)
{
    // SDL's dummy driver paces its callback in real time without a sound card.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ToneSpec spec;
    spec.seconds = 0.8;
    std::string shortTone = ToneFixture("sdl.mp3", spec);
    OutputConfig config;
    config.kind = OutputConfig::Kind::Sdl;
    PlaybackEngine engine(config);
    engine.init();
    engine.callback(CountEndNotice);
    InputInfo info;
    ASSERT_EQ(engine.open(shortTone, info), 1);
    engine.play();
    ASSERT_TRUE(WaitFor([&] { return engine.getPlayMs() > 200; }, 3000));
    EXPECT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 5000));
    engine.free();
    unsetenv("SDL_AUDIODRIVER");
}
} // namespace
