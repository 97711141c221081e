// Spectrum levels of the samples being heard: Hann window, 512-point real FFT, decibel scale.
//
// Construct and destroy on one thread at a time (FFTW's planner is not thread-safe; a process-wide
// lock guards it). compute() may then run on any one thread per instance; it never allocates.
#pragma once

#include <cstdint>
#include <mutex>

inline constexpr int kSpectrumFftSize = 512; // frames analysed per call
inline constexpr int kSpectrumBands = 256;   // levels per channel, linear from 0 Hz to Nyquist

// Held around every FFTW plan creation and destruction in the process.
std::mutex& FftwPlannerMutex();

class SpectrumAnalyzer {
public:
    SpectrumAnalyzer();
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    // frames: interleaved 16-bit samples, channels 1 or 2 (mono is copied to both outputs),
    // frameCount frames of which the first kSpectrumFftSize are used (fewer are zero-padded).
    // Writes kSpectrumBands levels to each of left and right: 0 for silence, about 120 at the peak
    // of a full-scale sine, clamped to 0..127. Null or empty input gives zeros.
    void compute(const int16_t* frames, int frameCount, int channels, int32_t* left,
                 int32_t* right);

private:
    float* m_input = nullptr; // fftwf_malloc'd, kSpectrumFftSize
    void* m_output = nullptr; // fftwf_complex[kSpectrumFftSize / 2 + 1], fftwf_malloc'd
    void* m_plan = nullptr;   // fftwf_plan
    float m_window[kSpectrumFftSize] = {};
};
