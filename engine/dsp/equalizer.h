// Ten-band peaking equaliser with a pre-gain that keeps boosts from clipping.
//
// Threads: setGains from any thread (taken under a small lock by the decode thread once per
// block); process, reset and configure on the decode thread. Gain changes glide in 0.5 dB steps
// every 32 frames, so coefficients never jump audibly. All gains 0 leaves the samples untouched.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

class Equalizer {
public:
    static constexpr int kBands = 10;
    static constexpr std::array<double, kBands> kCentreHz = {60,   170,  310,   600,   1000,
                                                             3000, 6000, 12000, 14000, 16000};
    static constexpr double kQ = 1.41; // about one octave wide

    void configure(int sampleRate);
    // Gains in tenths of a decibel, clamped to -120..120; band 0 first. True when they differ
    // from the last ones set.
    bool setGains(const int32_t* tenthsDb);
    void reset(); // clears the filter state
    // True when nothing would change the samples (all gains 0, no glide in progress).
    bool bypassed();
    // Filters frames stereo float frames in place.
    void process(float* frames, int count);
    double preGainDb() const { return m_preGainDb; }

private:
    struct Biquad {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
        double z1[2] = {0, 0}, z2[2] = {0, 0};
    };
    void pullTargets();
    void design(int band);
    bool gliding() const;

    std::mutex m_mutex; // guards m_pending
    std::array<double, kBands> m_pending{};
    std::atomic<bool> m_changed{false};

    int m_sampleRate = 44100;
    std::array<double, kBands> m_target{};
    std::array<double, kBands> m_current{};
    double m_preGainDb = 0;
    double m_preGainTargetDb = 0;
    double m_preGainFactorDb = 0; // the setting m_preGainFactor belongs to
    double m_preGainFactor = 1;
    std::array<Biquad, kBands> m_filters;
};
