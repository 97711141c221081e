// Audio callback body.
#include "ringrenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/samplecast.h"

namespace {
constexpr float kPauseRampSeconds = 0.005f;
}

void RingRenderer::configure(int sampleRate)
{
    m_equalizer.configure(sampleRate);
    m_levelStep = 1.0f / std::max(1.0f, kPauseRampSeconds * static_cast<float>(sampleRate));
    m_level = m_playing.load() ? 1.0f : 0.0f;
    m_wasPlaying = m_playing.load();
    m_rampIndex = -1;
}

void RingRenderer::rewind(int64_t heardAtNs)
{
    int64_t index = m_clock.heardIndex(heardAtNs);
    if (index < 0)
        return;
    index = m_ring.rewindRead(index);
    // The filters go back to where they were at that frame, so the same samples come again.
    m_equalizer.rewind(index, m_ring, m_trackGain.current());
    // Back before the last switch: the device never played it, so it happens again.
    if (m_rampIndex >= 0 && index <= m_rampIndex) {
        m_wasPlaying = !m_rampRises;
        m_level = m_rampRises ? 0.0f : 1.0f;
    }
}

void RingRenderer::render(int16_t* out, int frames, int64_t heardEndNs)
{
    size_t got = 0;
    int64_t first = m_ring.readIndex();
    const bool playing = m_playing.load(std::memory_order_acquire);
    if (playing != m_wasPlaying) {
        // A start or a stop switches at once; only pause and resume ramp.
        if (!m_smooth.load(std::memory_order_relaxed)) {
            m_level = playing ? 1.0f : 0.0f;
            // A start: an equaliser setting made while stopped is heard whole from the first frame.
            if (playing) {
                m_equalizer.settle();
                m_trackGain.settle();
            }
        }
        m_wasPlaying = playing;
        m_rampIndex = first;
        m_rampRises = playing;
    }
    // Audio dropped by a seek is not faded out: nothing of the new position plays while paused.
    if (!playing && m_ring.discardPending())
        m_level = 0.0f;
    if (playing || m_level > 0.0f) {
        // Pausing: take just the frames the fade-out needs.
        size_t wanted = playing ? static_cast<size_t>(frames)
                                : std::min(static_cast<size_t>(frames),
                                           static_cast<size_t>(std::ceil(m_level / m_levelStep)));
        const int64_t hold = m_holdIndex.load(std::memory_order_acquire);
        if (hold >= 0)
            wanted = std::min(wanted, static_cast<size_t>(std::max<int64_t>(0, hold - first)));
        got = m_ring.read(out, wanted, first);
        int track = 0;
        if (got > 0)
            m_clock.trackFrameAt(first, &track);
        m_trackGain.process(out, static_cast<int>(got), track);
        m_equalizer.process(out, static_cast<int>(got), first);
        m_gain.process(out, static_cast<int>(got));
        const float target = playing ? 1.0f : 0.0f;
        for (size_t i = 0; i < got && m_level != target; ++i) {
            m_level = playing ? std::min(1.0f, m_level + m_levelStep)
                              : std::max(0.0f, m_level - m_levelStep);
            out[2 * i] = RoundToSample(out[2 * i] * m_level);
            out[2 * i + 1] = RoundToSample(out[2 * i + 1] * m_level);
        }
        if (!playing)
            m_level = 0.0f; // fully faded even when the ring ran short
    }
    // An underrun or a pause plays silence; the clock sees that no ring frame moved.
    if (got < static_cast<size_t>(frames))
        std::memset(out + got * 2, 0, (static_cast<size_t>(frames) - got) * 2 * sizeof(int16_t));
    m_clock.recordBlock(first, static_cast<int>(got), frames, heardEndNs);
    m_blocks.fetch_add(1, std::memory_order_release);
}
