// Cross-spectral (H1) estimate of a linear processing's gain: |mean(P X*)| / mean(|X|^2) per
// bin, so noise the processing adds and a few frames of misalignment barely move it. FFTW does
// the transforms.
#include "bandresponse.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include <fftw3.h>

#include "spectrum.h"

namespace {
constexpr size_t kWindow = 8192;
using Complex = std::complex<double>;

// One real FFT plan with its buffers, made and destroyed under the process-wide planner lock.
class RealFft {
public:
    RealFft()
        : m_input(static_cast<float*>(fftwf_malloc(sizeof(float) * kWindow))),
          m_output(
              static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * (kWindow / 2 + 1))))
    {
        std::lock_guard lock(FftwPlannerMutex());
        m_plan = fftwf_plan_dft_r2c_1d(kWindow, m_input, m_output, FFTW_ESTIMATE);
    }
    ~RealFft()
    {
        {
            std::lock_guard lock(FftwPlannerMutex());
            fftwf_destroy_plan(m_plan);
        }
        fftwf_free(m_input);
        fftwf_free(m_output);
    }
    RealFft(const RealFft&) = delete;
    RealFft& operator=(const RealFft&) = delete;
    float* input() { return m_input; }
    Complex bin(size_t k) const { return {m_output[k][0], m_output[k][1]}; }
    void run() { fftwf_execute(m_plan); }

private:
    float* m_input;
    fftwf_complex* m_output;
    fftwf_plan m_plan;
};

size_t FirstSound(const std::vector<int16_t>& stereo)
{
    auto it = std::find_if(stereo.begin(), stereo.end(), [](int16_t s) { return s != 0; });
    return static_cast<size_t>(it - stereo.begin()) / 2;
}
} // namespace

std::vector<double> MeasureBandGainsDb(const std::vector<int16_t>& source,
                                       const std::vector<int16_t>& processed, int sampleRate,
                                       const std::vector<double>& centresHz)
{
    const size_t x0 = FirstSound(source), y0 = FirstSound(processed);
    const size_t frames = std::min(source.size() / 2 - std::min(x0, source.size() / 2),
                                   processed.size() / 2 - std::min(y0, processed.size() / 2));
    if (frames < kWindow || sampleRate <= 0)
        return {};
    std::vector<Complex> cross(kWindow / 2 + 1);
    std::vector<double> power(kWindow / 2 + 1);
    std::vector<Complex> x(kWindow / 2 + 1);
    std::vector<float> hann(kWindow);
    for (size_t i = 0; i < kWindow; ++i)
        hann[i] =
            static_cast<float>(0.5 - 0.5 * std::cos(2 * M_PI * static_cast<double>(i) / kWindow));
    RealFft fft;
    for (size_t start = 0; start + kWindow <= frames; start += kWindow / 2)
        for (size_t channel = 0; channel < 2; ++channel) {
            for (size_t i = 0; i < kWindow; ++i)
                fft.input()[i] = hann[i] * source[2 * (x0 + start + i) + channel];
            fft.run();
            for (size_t k = 0; k <= kWindow / 2; ++k)
                x[k] = fft.bin(k);
            for (size_t i = 0; i < kWindow; ++i)
                fft.input()[i] = hann[i] * processed[2 * (y0 + start + i) + channel];
            fft.run();
            for (size_t k = 0; k <= kWindow / 2; ++k) {
                cross[k] += fft.bin(k) * std::conj(x[k]);
                power[k] += std::norm(x[k]);
            }
        }
    std::vector<double> gains;
    const double binHz = static_cast<double>(sampleRate) / kWindow;
    for (double centre : centresHz) {
        const double spread = std::pow(2.0, 1.0 / 48);
        size_t lo = static_cast<size_t>(std::ceil(centre / spread / binHz));
        size_t hi = static_cast<size_t>(std::floor(centre * spread / binHz));
        lo = std::clamp<size_t>(lo, 1, kWindow / 2);
        hi = std::clamp(hi, lo, kWindow / 2);
        if (hi == lo) // too narrow for one bin: the nearest one
            lo = hi = std::clamp<size_t>(static_cast<size_t>(std::lround(centre / binHz)), 1,
                                         kWindow / 2);
        double sum = 0;
        for (size_t k = lo; k <= hi; ++k)
            sum += std::norm(cross[k]) / std::max(1e-30, power[k] * power[k]);
        gains.push_back(10 * std::log10(std::max(1e-30, sum / static_cast<double>(hi - lo + 1))));
    }
    return gains;
}
