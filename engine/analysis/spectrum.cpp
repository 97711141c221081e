// Spectrum analysis with FFTW (single precision): one plan per instance, executed on its own
// aligned buffers with the new-array interface.
#include "spectrum.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include <fftw3.h>

namespace {


// A full-scale sine centred on a bin gives |X| = amplitude * N/2 * (Hann coherent gain 1/2).
constexpr float kFullScaleMagnitude = kSpectrumFftSize / 4.0f;
constexpr float kFullScaleLevel = 120.0f;
constexpr float kMaxLevel = 127.0f;

} // namespace

// FFTW's planner and plan destruction share global state and are not thread-safe.
std::mutex& FftwPlannerMutex()
{
    static std::mutex mutex;
    return mutex;
}

SpectrumAnalyzer::SpectrumAnalyzer()
{
    for (int i = 0; i < kSpectrumFftSize; ++i) {
        m_window[i] = static_cast<float>(
            0.5 - 0.5 * std::cos(2.0 * M_PI * i / static_cast<double>(kSpectrumFftSize)));
    }
    m_input = static_cast<float*>(fftwf_malloc(sizeof(float) * kSpectrumFftSize));
    m_output = fftwf_malloc(sizeof(fftwf_complex) * (kSpectrumFftSize / 2 + 1));
    if (m_input && m_output) {
        std::lock_guard<std::mutex> lock(FftwPlannerMutex());
        m_plan = fftwf_plan_dft_r2c_1d(kSpectrumFftSize, m_input,
                                       static_cast<fftwf_complex*>(m_output), FFTW_ESTIMATE);
    }
}

SpectrumAnalyzer::~SpectrumAnalyzer()
{
    if (m_plan) {
        std::lock_guard<std::mutex> lock(FftwPlannerMutex());
        fftwf_destroy_plan(static_cast<fftwf_plan>(m_plan));
    }
    fftwf_free(m_input);
    fftwf_free(m_output);
}

void SpectrumAnalyzer::compute(const int16_t* frames, int frameCount, int channels, int32_t* left,
                               int32_t* right)
{
    const int usable = (frames && m_plan && (channels == 1 || channels == 2))
                           ? std::clamp(frameCount, 0, kSpectrumFftSize)
                           : 0;
    if (usable == 0) {
        std::fill(left, left + kSpectrumBands, 0);
        std::fill(right, right + kSpectrumBands, 0);
        return;
    }
    auto* spectrum = static_cast<fftwf_complex*>(m_output);
    constexpr float kScale = 1.0f / 32768.0f / kFullScaleMagnitude;
    // Power relative to a full-scale sine, in dB: 10*log10(p) = log2(p) * 10*log10(2).
    constexpr float kDbPerLog2 = 3.0102999566f;

    for (int channel = 0; channel < channels; ++channel) {
        for (int i = 0; i < usable; ++i)
            m_input[i] = frames[i * channels + channel] * m_window[i] * kScale;
        std::memset(m_input + usable, 0, sizeof(float) * (kSpectrumFftSize - usable));
        fftwf_execute_dft_r2c(static_cast<fftwf_plan>(m_plan), m_input, spectrum);
        int32_t* out = channel == 0 ? left : right;
        for (int band = 0; band < kSpectrumBands; ++band) {
            const float re = spectrum[band][0];
            const float im = spectrum[band][1];
            const float power = re * re + im * im;
            // Below -120 dB (power 1e-12) the level is 0: also avoids log of zero.
            if (power <= 1e-12f) {
                out[band] = 0;
                continue;
            }
            const float level = kFullScaleLevel + kDbPerLog2 * std::log2(power);
            out[band] = static_cast<int32_t>(std::clamp(level, 0.0f, kMaxLevel) + 0.5f);
        }
    }
    if (channels == 1)
        std::copy(left, left + kSpectrumBands, right);
}
