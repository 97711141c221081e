// Per-track gain with a linear glide between factors.
#include "trackgain.h"

#include <algorithm>
#include <cmath>

#include "samplecast.h"

void TrackGain::setFactor(int track, float factor)
{
    if (track <= 0 || !std::isfinite(factor) || factor < 0)
        return;
    for (auto& slot : m_slots) {
        if (slot.track.load(std::memory_order_acquire) == track) {
            slot.factor.store(factor, std::memory_order_release);
            return;
        }
    }
    Slot& slot = m_slots[static_cast<size_t>(m_nextSlot.fetch_add(1) % kSlots)];
    // Emptied first, so that the audio thread never pairs the new track with the old factor.
    slot.track.store(0, std::memory_order_release);
    slot.factor.store(factor, std::memory_order_release);
    slot.track.store(track, std::memory_order_release);
}

void TrackGain::clear()
{
    for (auto& slot : m_slots)
        slot.track.store(0, std::memory_order_release);
}

void TrackGain::process(int16_t* frames, int count, int track)
{
    for (const auto& slot : m_slots) {
        if (track > 0 && slot.track.load(std::memory_order_acquire) == track) {
            const float factor = slot.factor.load(std::memory_order_acquire);
            if (factor != m_target) {
                m_target = factor;
                m_step = (m_target - m_now) / kGlideFrames;
            }
            if (m_settle)
                m_now = m_target;
            m_settle = false;
            break;
        }
    }
    if (m_now == 1.0f && m_target == 1.0f)
        return;
    for (int i = 0; i < count; ++i) {
        if (m_now != m_target) {
            m_now += m_step;
            if ((m_step > 0 && m_now >= m_target) || (m_step < 0 && m_now <= m_target) ||
                m_step == 0)
                m_now = m_target;
        }
        for (int c = 0; c < 2; ++c) {
            const float v =
                std::clamp(static_cast<float>(frames[2 * i + c]) * m_now, -32768.0f, 32767.0f);
            frames[2 * i + c] = RoundToSample(v);
        }
    }
}
