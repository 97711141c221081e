// Cross-spectral (H1) estimate of a linear processing's gain: |mean(P X*)| / mean(|X|^2) per
// bin, so noise the processing adds and a few frames of misalignment barely move it.
#include "bandresponse.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {
constexpr size_t kWindow = 8192;
using Complex = std::complex<double>;

// In-place radix-2 FFT; data.size() is a power of two.
void Fft(std::vector<Complex>& data)
{
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const Complex step = std::polar(1.0, -2 * M_PI / static_cast<double>(len));
        for (size_t i = 0; i < n; i += len) {
            Complex w = 1;
            for (size_t k = 0; k < len / 2; ++k, w *= step) {
                Complex a = data[i + k], b = data[i + k + len / 2] * w;
                data[i + k] = a + b;
                data[i + k + len / 2] = a - b;
            }
        }
    }
}

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
    std::vector<Complex> cross(kWindow / 2 + 1), power(kWindow / 2 + 1);
    std::vector<Complex> x(kWindow), y(kWindow);
    std::vector<double> hann(kWindow);
    for (size_t i = 0; i < kWindow; ++i)
        hann[i] = 0.5 - 0.5 * std::cos(2 * M_PI * static_cast<double>(i) / kWindow);
    for (size_t start = 0; start + kWindow <= frames; start += kWindow / 2)
        for (size_t channel = 0; channel < 2; ++channel) {
            for (size_t i = 0; i < kWindow; ++i) {
                x[i] = hann[i] * source[2 * (x0 + start + i) + channel];
                y[i] = hann[i] * processed[2 * (y0 + start + i) + channel];
            }
            Fft(x);
            Fft(y);
            for (size_t k = 0; k <= kWindow / 2; ++k) {
                cross[k] += y[k] * std::conj(x[k]);
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
            sum += std::norm(cross[k]) / std::max(1e-30, std::norm(power[k]));
        gains.push_back(10 * std::log10(std::max(1e-30, sum / static_cast<double>(hi - lo + 1))));
    }
    return gains;
}
