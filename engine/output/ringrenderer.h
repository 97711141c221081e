// The audio callback's work: frames from the ring, volume and fades, and the clock's record of
// what will be heard when.
//
// Audio thread only for render(); setPlaying from any thread. No locks, no allocation.
#pragma once

#include <atomic>

#include "audiooutput.h"
#include "clock/playclock.h"
#include "dsp/gainramp.h"
#include "ring/framering.h"

class RingRenderer : public AudioRenderer {
public:
    RingRenderer(FrameRing& ring, PlayClock& clock, GainRamp& gain)
        : m_ring(ring), m_clock(clock), m_gain(gain)
    {
    }

    // While not playing the device gets silence and the ring is left alone (stop, pause).
    void setPlaying(bool playing) { m_playing.store(playing, std::memory_order_release); }
    bool playing() const { return m_playing.load(std::memory_order_acquire); }
    // Blocks rendered so far (tests and the decode thread's end-of-track wait use it).
    uint64_t blocks() const { return m_blocks.load(std::memory_order_acquire); }

    void render(int16_t* out, int frames, int64_t heardEndNs) override;

private:
    FrameRing& m_ring;
    PlayClock& m_clock;
    GainRamp& m_gain;
    std::atomic<bool> m_playing{false};
    std::atomic<uint64_t> m_blocks{0};
};
