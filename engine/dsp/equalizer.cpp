// RBJ peaking filters in transposed direct form II, run in double precision.
#include "equalizer.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kGlideStepDb = 0.5;
constexpr int kGlideFrames = 32;
} // namespace

void Equalizer::configure(int sampleRate)
{
    m_sampleRate = sampleRate > 0 ? sampleRate : 44100;
    pullTargets();
    m_current = m_target;
    m_preGainDb = m_preGainTargetDb;
    for (int band = 0; band < kBands; ++band)
        design(band);
    reset();
}

bool Equalizer::setGains(const int32_t* tenthsDb)
{
    std::lock_guard lock(m_mutex);
    bool differs = false;
    for (int band = 0; band < kBands; ++band) {
        const double gainDb = std::clamp(tenthsDb[band], -120, 120) / 10.0;
        differs = differs || gainDb != m_pending[band];
        m_pending[band] = gainDb;
    }
    m_changed.store(true, std::memory_order_release);
    return differs;
}

void Equalizer::reset()
{
    for (auto& f : m_filters)
        f.z1[0] = f.z1[1] = f.z2[0] = f.z2[1] = 0;
}

void Equalizer::pullTargets()
{
    if (!m_changed.exchange(false, std::memory_order_acq_rel))
        return;
    std::lock_guard lock(m_mutex);
    m_target = m_pending;
    double maxBoost = 0;
    for (int band = 0; band < kBands; ++band)
        if (kCentreHz[band] < m_sampleRate / 2.0)
            maxBoost = std::max(maxBoost, m_target[band]);
    m_preGainTargetDb = -maxBoost;
}

bool Equalizer::gliding() const
{
    return m_current != m_target || m_preGainDb != m_preGainTargetDb;
}

bool Equalizer::bypassed()
{
    pullTargets();
    if (gliding())
        return false;
    for (double gain : m_current)
        if (gain != 0)
            return false;
    return m_preGainDb == 0;
}

void Equalizer::design(int band)
{
    Biquad& f = m_filters[band];
    double fc = kCentreHz[band];
    if (fc >= m_sampleRate / 2.0 || m_current[band] == 0) {
        f.b0 = 1;
        f.b1 = f.b2 = f.a1 = f.a2 = 0;
        // A band switched off forgets its state, so switching it on again starts clean.
        f.z1[0] = f.z1[1] = f.z2[0] = f.z2[1] = 0;
        return;
    }
    double a = std::pow(10.0, m_current[band] / 40.0);
    double w0 = 2 * M_PI * fc / m_sampleRate;
    double alpha = std::sin(w0) / (2 * kQ);
    double cosw = std::cos(w0);
    double a0 = 1 + alpha / a;
    f.b0 = (1 + alpha * a) / a0;
    f.b1 = -2 * cosw / a0;
    f.b2 = (1 - alpha * a) / a0;
    f.a1 = -2 * cosw / a0;
    f.a2 = (1 - alpha / a) / a0;
}

void Equalizer::process(float* frames, int count)
{
    pullTargets();
    int done = 0;
    while (done < count) {
        // Gliding, coefficients change every kGlideFrames; otherwise the rest is one run.
        int run = count - done;
        if (gliding()) {
            auto step = [](double current, double target) {
                return current < target ? std::min(target, current + kGlideStepDb)
                                        : std::max(target, current - kGlideStepDb);
            };
            for (int band = 0; band < kBands; ++band)
                if (m_current[band] != m_target[band]) {
                    m_current[band] = step(m_current[band], m_target[band]);
                    design(band);
                }
            m_preGainDb = step(m_preGainDb, m_preGainTargetDb);
            run = std::min(kGlideFrames, run);
        }
        if (m_preGainDb != m_preGainFactorDb) {
            m_preGainFactor = std::pow(10.0, m_preGainDb / 20.0);
            m_preGainFactorDb = m_preGainDb;
        }
        float* p = frames + 2 * done;
        for (int i = 0; i < 2 * run; ++i)
            p[i] = static_cast<float>(p[i] * m_preGainFactor);
        // Both channels of a band in one pass: their recursions are independent chains the
        // processor overlaps, where a pass per channel waits on one chain at a time. Each
        // channel's arithmetic is unchanged.
        for (auto& f : m_filters) {
            if (f.b1 == 0 && f.a1 == 0 && f.b0 == 1)
                continue;
            double z1l = f.z1[0], z2l = f.z2[0], z1r = f.z1[1], z2r = f.z2[1];
            for (int i = 0; i < run; ++i) {
                double xl = p[2 * i], xr = p[2 * i + 1];
                double yl = f.b0 * xl + z1l;
                double yr = f.b0 * xr + z1r;
                z1l = f.b1 * xl - f.a1 * yl + z2l;
                z1r = f.b1 * xr - f.a1 * yr + z2r;
                z2l = f.b2 * xl - f.a2 * yl;
                z2r = f.b2 * xr - f.a2 * yr;
                p[2 * i] = static_cast<float>(yl);
                p[2 * i + 1] = static_cast<float>(yr);
            }
            f.z1[0] = z1l;
            f.z2[0] = z2l;
            f.z1[1] = z1r;
            f.z2[1] = z2r;
        }
        done += run;
    }
}
