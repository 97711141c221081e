// The equaliser's response, and pitch and tempo through the whole engine.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "dsp/equalizer.h"
#include "enginetestutil.h"
#include "playbackengine.h"

namespace {
std::vector<float> StereoSine(double hz, int rate, double seconds, float amplitude)
{
    std::vector<float> frames(static_cast<size_t>(seconds * rate) * 2);
    for (size_t i = 0; i < frames.size() / 2; ++i)
        frames[2 * i] = frames[2 * i + 1] =
            amplitude * static_cast<float>(std::sin(2 * M_PI * hz * i / rate));
    return frames;
}

double RmsTail(const std::vector<float>& frames, int channel, size_t skipFrames)
{
    double sum = 0;
    size_t n = 0;
    for (size_t i = skipFrames; i < frames.size() / 2; ++i, ++n)
        sum += frames[2 * i + channel] * frames[2 * i + channel];
    return std::sqrt(sum / n);
}

class EqualizerTest : public ::testing::TestWithParam<int> {};

TEST_P(EqualizerTest, GainAtEachBandCentreMatchesTheSetting)
{
    const int rate = GetParam();
    for (int band = 0; band < Equalizer::kBands; ++band) {
        double centre = Equalizer::kCentreHz[band];
        for (int tenths : {120, 60, -60, -120}) {
            Equalizer eq;
            int32_t gains[Equalizer::kBands] = {};
            gains[band] = tenths;
            eq.setGains(gains);
            eq.configure(rate);
            auto frames = StereoSine(centre, rate, 0.5, 0.25f);
            double before = RmsTail(frames, 0, rate / 4);
            eq.process(frames.data(), static_cast<int>(frames.size() / 2));
            double gainDb = 20 * std::log10(RmsTail(frames, 1, rate / 4) / before);
            if (centre >= rate / 2.0) {
                EXPECT_NEAR(gainDb, 0.0, 0.01) << "band above Nyquist must be skipped";
                continue;
            }
            EXPECT_NEAR(gainDb - eq.preGainDb(), tenths / 10.0, 0.5)
                << "band " << band << " at " << rate << " Hz, " << tenths / 10.0 << " dB";
            EXPECT_LE(eq.preGainDb(), 0.0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, EqualizerTest, ::testing::Values(44100, 22050, 48000));

TEST(EqualizerGlide, GainChangesNeverJumpAndZeroBypassesAgain)
{
    Equalizer eq;
    eq.configure(44100);
    EXPECT_TRUE(eq.bypassed());
    auto frames = StereoSine(1000, 44100, 1.0, 0.5f);
    const size_t half = frames.size() / 4;
    int32_t boost[Equalizer::kBands] = {0, 0, 0, 0, 120, 0, 0, 0, 0, 0};
    eq.process(frames.data(), static_cast<int>(half / 2));
    eq.setGains(boost);
    EXPECT_FALSE(eq.bypassed());
    eq.process(frames.data() + half, static_cast<int>(frames.size() / 2 - half / 2));
    // A 1 kHz sine of amplitude 0.5 moves at most 0.071 per sample; a coefficient jump would
    // throw the output much further.
    float maxStep = 0;
    for (size_t i = 2; i < frames.size(); i += 2)
        maxStep = std::max(maxStep, std::abs(frames[i] - frames[i - 2]));
    EXPECT_LT(maxStep, 0.1f);
    int32_t flat[Equalizer::kBands] = {};
    eq.setGains(flat);
    auto more = StereoSine(1000, 44100, 0.2, 0.5f);
    eq.process(more.data(), static_cast<int>(more.size() / 2));
    EXPECT_TRUE(eq.bypassed());
}

class PitchTempoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_endNotices.store(0);
        ToneSpec spec;
        spec.seconds = 2;
        spec.frequencyHz = 440;
        track = ToneFixture("pitch.mp3", spec);
        capture = TestTempDir() + "/" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav";
        engine = CaptureEngine(capture, 8);
        InputInfo info;
        ASSERT_EQ(engine->open(track, info), 1);
    }
    Pcm playToEnd()
    {
        engine->play();
        EXPECT_TRUE(WaitFor([] { return g_endNotices.load() == 1; }, 10000));
        engine->free();
        Pcm captured;
        EXPECT_TRUE(ReadSoundFile(capture, captured));
        return captured;
    }
    std::vector<float> middle(const Pcm& pcm, double fromFraction, double toFraction)
    {
        auto [first, last] = AudibleSpan(pcm.samples, 300);
        size_t a = first + static_cast<size_t>((last - first) * fromFraction);
        size_t b = first + static_cast<size_t>((last - first) * toFraction);
        std::vector<float> mono;
        for (size_t i = a; i < b; ++i)
            mono.push_back(pcm.samples[2 * i]);
        return mono;
    }
    std::string track, capture;
    std::unique_ptr<PlaybackEngine> engine;
};

TEST_F(PitchTempoTest, PitchTwoHundredPercentDoublesTheFrequencyAtTheSameTempo)
{
    engine->setPitch(200);
    EXPECT_EQ(engine->getPitch(), 200);
    Pcm captured = playToEnd();
    EXPECT_NEAR(ZeroCrossingHz(middle(captured, 0.2, 0.8), 44100), 880, 8.8);
    auto [first, last] = AudibleSpan(captured.samples, 300);
    EXPECT_NEAR((last - first) / 44100.0, 2.0, 0.04);
}

TEST_F(PitchTempoTest, TempoTimesTwoHalvesThePlayingTimeAtTheSamePitch)
{
    engine->setStepPitch(2, 5);
    Pcm captured = playToEnd();
    auto [first, last] = AudibleSpan(captured.samples, 300);
    EXPECT_NEAR((last - first) / 44100.0, 1.0, 0.02);
    EXPECT_NEAR(ZeroCrossingHz(middle(captured, 0.2, 0.8), 44100), 440, 4.4);
}

TEST_F(PitchTempoTest, PositionStaysInTrackTimeThroughTempoChanges)
{
    ToneSpec spec;
    spec.seconds = 6;
    InputInfo info;
    ASSERT_EQ(engine->open(ToneFixture("tempo-long.mp3", spec), info), 1);
    engine->setStepPitch(3, 5);
    engine->play();
    ASSERT_TRUE(WaitFor([&] { return engine->getPlayMs() > 1500; }, 5000));
    // At x3 the track clock runs three times as fast as the output clock.
    int64_t t0 = engine->output()->nowNs();
    int32_t p0 = engine->getPlayMs();
    ASSERT_TRUE(WaitFor([&] { return engine->output()->nowNs() - t0 > 900000000; }, 5000));
    int64_t t1 = engine->output()->nowNs();
    int32_t p1 = engine->getPlayMs();
    EXPECT_NEAR((p1 - p0) / ((t1 - t0) / 1e6), 3.0, 0.15);
    EXPECT_EQ(engine->tempoStep(), 3);
}

TEST_F(PitchTempoTest, DraggingThePitchLeavesNoGapAndTheLastSettingIsHeardSoon)
{
    ToneSpec spec;
    spec.seconds = 4;
    std::string tone = ToneFixture("drag.mp3", spec);
    std::string path = capture + ".drag.wav";
    auto live = CaptureEngine(path, 1); // real time: the slider moves while the sound plays
    InputInfo info;
    ASSERT_EQ(live->open(tone, info), 1);
    live->play();
    const int64_t origin = live->output()->nowNs(); // when the capture's first frame plays
    ASSERT_TRUE(WaitFor([&] { return live->getPlayMs() > 500; }, 5000));
    for (int percent = 104; percent <= 160; percent += 4) {
        live->setPitch(percent);
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    live->setPitch(200);
    const int64_t lastChange = live->output()->nowNs();
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    live->free();
    Pcm captured;
    ASSERT_TRUE(ReadSoundFile(path, captured));

    // No run of silence longer than 10 ms between the first and the last sound heard.
    auto [first, last] = AudibleSpan(captured.samples, 300);
    size_t longest = 0, run = 0;
    for (size_t i = first; i < last; ++i) {
        run = std::abs(int(captured.samples[2 * i])) < 100 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_LT(longest, 441u);
    // Soon after the last change the tone is an octave up, not seconds later when the queue made
    // before it has played (the 150 ms figure itself is the sync script's: this build runs real
    // time on a shared machine).
    const size_t from = static_cast<size_t>((lastChange - origin) / 1e9 * 44100) + 13230;
    ASSERT_LT(from + 11025, last);
    std::vector<float> mono;
    for (size_t i = from; i < from + 11025; ++i)
        mono.push_back(captured.samples[2 * i]);
    EXPECT_NEAR(ZeroCrossingHz(mono, 44100), 880, 20);
}

TEST_F(PitchTempoTest, PitchIsClampedAndOneHundredBypassesExactly)
{
    engine->setPitch(20);
    EXPECT_EQ(engine->getPitch(), 50);
    engine->setPitch(1000);
    EXPECT_EQ(engine->getPitch(), 300);
    engine->setPitch(100);
    engine->setStepPitch(1, 5);
    Pcm reference;
    ASSERT_TRUE(LibraryDecode(track, reference));
    Pcm captured = playToEnd();
    EXPECT_GE(FindExactly(captured.samples, reference.samples), 0);
}
} // namespace

namespace {
// A 12 dB cut at 1 kHz set a second into a 1 kHz tone is heard a second later: the engine
// decodes seconds ahead, and a new setting must not wait for them to be played.
class EqualizerTiming : public PitchTempoTest {
protected:
    // The level two seconds into the tone against the source, in dB.
    double levelAfterCut(bool reloadFirst)
    {
        ToneSpec spec;
        spec.seconds = 4;
        spec.frequencyHz = 1000;
        std::string tone = ToneFixture("eq-tone.mp3", spec);
        InputInfo info;
        EXPECT_EQ(engine->open(tone, info), 1);
        Pcm reference;
        EXPECT_TRUE(LibraryDecode(tone, reference));
        engine->play();
        EXPECT_TRUE(WaitFor([&] { return engine->getPlayMs() > 1000; }, 5000));
        int32_t gains[10] = {0, 0, 0, 0, -120, 0, 0, 0, 0, 0};
        if (reloadFirst)
            engine->reload();
        engine->setEqualizer(gains);
        Pcm captured = playToEnd();
        auto [first, last] = AudibleSpan(captured.samples, 300);
        double later = Rms(captured.samples, 2, 0, first + 2 * 44100, 22050);
        double source = Rms(reference.samples, 2, 0, 44100, 22050);
        return 20 * std::log10(later / source);
    }
};

TEST_F(EqualizerTiming, HeardAtOnceAfterReload)
{
    EXPECT_NEAR(levelAfterCut(true), -12.0, 0.5);
}

TEST_F(EqualizerTiming, HeardAtOnceWithoutReload)
{
    EXPECT_NEAR(levelAfterCut(false), -12.0, 0.5);
}
} // namespace
