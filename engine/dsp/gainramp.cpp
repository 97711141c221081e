// Per-frame volume ramps and fade envelopes.
#include "gainramp.h"

#include <algorithm>
#include <cmath>

#include "samplecast.h"

float GainRamp::curve(int volume)
{
    float v = static_cast<float>(std::clamp(volume, 0, 100)) / 100.0f;
    return v * v * v;
}

void GainRamp::configure(int sampleRate)
{
    sampleRate = std::max(sampleRate, 1000);
    m_rampStep = 1.0f / (0.010f * static_cast<float>(sampleRate));
    m_fadeInStep = 1000.0f / (kFadeInMs * static_cast<float>(sampleRate));
    m_fadeOutStep = -1000.0f / (kFadeOutMs * static_cast<float>(sampleRate));
    m_gainLeft = m_targetLeft.load();
    m_gainRight = m_targetRight.load();
    m_fade = 1.0f;
    m_fadeStep = 0.0f;
    m_request.store(None);
    m_fadeOutDone.store(false);
    m_fadingOut.store(false);
}

void GainRamp::setVolume(int left, int right)
{
    m_targetLeft.store(curve(left), std::memory_order_relaxed);
    m_targetRight.store(curve(right), std::memory_order_relaxed);
}

void GainRamp::startFadeIn()
{
    m_fadingOut.store(false, std::memory_order_release);
    m_fadeOutDone.store(false, std::memory_order_release);
    m_request.store(FadeIn, std::memory_order_release);
}

void GainRamp::startFadeOut()
{
    m_fadingOut.store(true, std::memory_order_release);
    m_request.store(FadeOut, std::memory_order_release);
}

void GainRamp::cancelFade()
{
    m_fadingOut.store(false, std::memory_order_release);
    m_fadeOutDone.store(false, std::memory_order_release);
    m_request.store(Cancel, std::memory_order_release);
}

void GainRamp::process(int16_t* frames, int count)
{
    switch (m_request.exchange(None, std::memory_order_acq_rel)) {
    case FadeIn:
        m_fade = 0.0f;
        m_fadeStep = m_fadeInStep;
        break;
    case FadeOut:
        m_fadeStep = m_fadeOutStep;
        break;
    case Cancel:
        m_fade = 1.0f;
        m_fadeStep = 0.0f;
        break;
    default:
        break;
    }
    const float targetLeft = m_targetLeft.load(std::memory_order_relaxed);
    const float targetRight = m_targetRight.load(std::memory_order_relaxed);
    if (m_fadeStep == 0.0f && m_fade == 1.0f && m_gainLeft == 1.0f && m_gainRight == 1.0f &&
        targetLeft == 1.0f && targetRight == 1.0f)
        return;
    if (m_fadeStep == 0.0f && m_fade == 1.0f && m_gainLeft == targetLeft &&
        m_gainRight == targetRight) {
        // A steady volume: one multiply per sample (the fade envelope at 1 changes nothing).
        for (int i = 0; i < count; ++i) {
            frames[2 * i] = RoundToSample(static_cast<float>(frames[2 * i]) * m_gainLeft);
            frames[2 * i + 1] = RoundToSample(static_cast<float>(frames[2 * i + 1]) * m_gainRight);
        }
        return;
    }
    auto approach = [this](float gain, float target) {
        if (gain < target)
            return std::min(target, gain + m_rampStep);
        if (gain > target)
            return std::max(target, gain - m_rampStep);
        return gain;
    };
    for (int i = 0; i < count; ++i) {
        m_gainLeft = approach(m_gainLeft, targetLeft);
        m_gainRight = approach(m_gainRight, targetRight);
        if (m_fadeStep != 0.0f) {
            m_fade += m_fadeStep;
            if (m_fade >= 1.0f) {
                m_fade = 1.0f;
                m_fadeStep = 0.0f;
            } else if (m_fade <= 0.0f) {
                m_fade = 0.0f;
                m_fadeStep = 0.0f;
                m_fadeOutDone.store(true, std::memory_order_release);
            }
        }
        float left = static_cast<float>(frames[2 * i]) * m_gainLeft * m_fade;
        float right = static_cast<float>(frames[2 * i + 1]) * m_gainRight * m_fade;
        frames[2 * i] = RoundToSample(left);
        frames[2 * i + 1] = RoundToSample(right);
    }
}
