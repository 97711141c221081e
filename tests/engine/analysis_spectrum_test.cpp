// Spectrum and wave analysis: bin placement, decibel scale, silence, channels, scaling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "engine/analysis/spectrum.h"
#include "engine/analysis/wave.h"

namespace {

// Interleaved frames with a sine of the given frequency (in FFT bins) and amplitude per channel.
std::vector<int16_t> sines(double leftBin, double leftAmplitude, double rightBin,
                           double rightAmplitude, int frames = kSpectrumFftSize)
{
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        out[2 * i] = static_cast<int16_t>(
            std::lround(leftAmplitude * std::sin(2 * M_PI * leftBin * i / kSpectrumFftSize)));
        out[2 * i + 1] = static_cast<int16_t>(
            std::lround(rightAmplitude * std::sin(2 * M_PI * rightBin * i / kSpectrumFftSize)));
    }
    return out;
}

int peakBand(const int32_t* levels)
{
    return static_cast<int>(std::max_element(levels, levels + kSpectrumBands) - levels);
}

} // namespace

class SpectrumTest : public ::testing::Test {
protected:
    void compute(const std::vector<int16_t>& frames, int channels)
    {
        analyzer.compute(frames.data(), static_cast<int>(frames.size()) / channels, channels, left,
                         right);
    }
    SpectrumAnalyzer analyzer;
    int32_t left[kSpectrumBands] = {};
    int32_t right[kSpectrumBands] = {};
};

TEST_F(SpectrumTest, FullScaleSinePeaksNear120AtItsBin)
{
    compute(sines(32, 32767, 80, 32767), 2);
    EXPECT_EQ(peakBand(left), 32);
    EXPECT_EQ(peakBand(right), 80);
    EXPECT_EQ(left[32], 120);
    EXPECT_NEAR(right[80], 120, 1);
    // Hann's side lobes fall away: far bands sit near the 16-bit noise floor.
    EXPECT_LT(left[100], 40);
    EXPECT_LT(right[10], 40);
}

TEST_F(SpectrumTest, SineBetweenBinsLosesLessThanTwoDecibels)
{
    compute(sines(40.5, 32767, 40.5, 32767), 2);
    const int band = peakBand(left);
    EXPECT_TRUE(band == 40 || band == 41) << band;
    EXPECT_GE(left[band], 118);
    EXPECT_LE(left[band], 120);
}

TEST_F(SpectrumTest, LevelFollowsDecibels)
{
    compute(sines(64, 3277, 64, 328), 2); // -20 dB and -40 dB
    EXPECT_NEAR(left[64], 100, 1);
    EXPECT_NEAR(right[64], 80, 1);
}

TEST_F(SpectrumTest, SilenceGivesZeroEverywhere)
{
    std::fill(left, left + kSpectrumBands, 99);
    compute(std::vector<int16_t>(kSpectrumFftSize * 2, 0), 2);
    EXPECT_TRUE(std::all_of(left, left + kSpectrumBands, [](int32_t v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(right, right + kSpectrumBands, [](int32_t v) { return v == 0; }));
}

TEST_F(SpectrumTest, SilentChannelStaysZeroBesideALoudOne)
{
    compute(sines(20, 32767, 0, 0), 2);
    EXPECT_NEAR(left[20], 120, 1);
    EXPECT_EQ(*std::max_element(right, right + kSpectrumBands), 0);
}

TEST_F(SpectrumTest, MonoIsCopiedToBothChannels)
{
    std::vector<int16_t> mono(kSpectrumFftSize);
    for (int i = 0; i < kSpectrumFftSize; ++i)
        mono[i] = static_cast<int16_t>(std::lround(16000 * std::sin(2 * M_PI * 50 * i / 512.0)));
    compute(mono, 1);
    EXPECT_EQ(peakBand(left), 50);
    EXPECT_TRUE(std::equal(left, left + kSpectrumBands, right));
}

TEST_F(SpectrumTest, ShortNullOrOddInputIsSafe)
{
    auto shortBlock = sines(32, 32767, 32, 32767, 100);
    compute(shortBlock, 2); // zero-padded
    EXPECT_GT(left[32], 90);
    std::fill(left, left + kSpectrumBands, 5);
    analyzer.compute(nullptr, 512, 2, left, right);
    EXPECT_EQ(*std::max_element(left, left + kSpectrumBands), 0);
    analyzer.compute(shortBlock.data(), 100, 6, left, right);
    EXPECT_EQ(*std::max_element(right, right + kSpectrumBands), 0);
    analyzer.compute(shortBlock.data(), -3, 2, left, right);
    EXPECT_EQ(*std::max_element(left, left + kSpectrumBands), 0);
}

TEST_F(SpectrumTest, LevelsNeverLeaveTheirRange)
{
    std::vector<int16_t> square(kSpectrumFftSize * 2);
    for (size_t i = 0; i < square.size(); ++i)
        square[i] = (i / 2) % 2 ? 32767 : -32768; // full-scale Nyquist square wave
    compute(square, 2);
    for (int band = 0; band < kSpectrumBands; ++band) {
        EXPECT_GE(left[band], 0);
        EXPECT_LE(left[band], 127);
    }
}

TEST(SpectrumThreads, AnalyzersBuiltOnSeveralThreadsAgree)
{
    const auto input = sines(32, 20000, 90, 20000);
    std::vector<std::vector<int32_t>> results(4, std::vector<int32_t>(kSpectrumBands));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::vector<int32_t> right(kSpectrumBands);
            for (int k = 0; k < 25; ++k) {
                SpectrumAnalyzer analyzer;
                analyzer.compute(input.data(), kSpectrumFftSize, 2, results[t].data(),
                                 right.data());
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 1; t < 4; ++t)
        EXPECT_EQ(results[t], results[0]);
    EXPECT_EQ(peakBand(results[0].data()), 32);
}

TEST(Wave, SamplesAreScaledByOneTwoHundredFiftySixth)
{
    std::vector<int16_t> frames(kWaveSamples * 2);
    for (int i = 0; i < kWaveSamples; ++i) {
        frames[2 * i] = static_cast<int16_t>(i * 256 - 32768);
        frames[2 * i + 1] = static_cast<int16_t>(-(i * 100));
    }
    frames[2 * 255] = 32767;
    int32_t left[kWaveSamples];
    int32_t right[kWaveSamples];
    ComputeWave(frames.data(), kWaveSamples, 2, left, right);
    EXPECT_EQ(left[0], -128);
    EXPECT_EQ(left[128], 0);
    EXPECT_EQ(left[200], 72);
    EXPECT_EQ(left[255], 127);
    EXPECT_EQ(right[3], -1); // -300 / 256
    EXPECT_EQ(right[255], -99);
}

TEST(Wave, MonoDuplicatesAndMissingFramesAreZero)
{
    std::vector<int16_t> mono(100, 12800);
    int32_t left[kWaveSamples];
    int32_t right[kWaveSamples];
    std::fill(left, left + kWaveSamples, 7);
    ComputeWave(mono.data(), 100, 1, left, right);
    EXPECT_EQ(left[0], 50);
    EXPECT_EQ(right[99], 50);
    EXPECT_EQ(left[100], 0);
    EXPECT_EQ(right[255], 0);
    ComputeWave(nullptr, 256, 2, left, right);
    EXPECT_EQ(*std::max_element(left, left + kWaveSamples), 0);
}
