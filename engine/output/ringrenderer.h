// The audio callback's work: frames from the ring, the equaliser, volume and fades, and the
// clock's record of what will be heard when.
//
// Audio thread only for render(); setPlaying from any thread. No locks, no allocation.
#pragma once

#include <atomic>

#include "audiooutput.h"
#include "clock/playclock.h"
#include "dsp/equalizer.h"
#include "dsp/gainramp.h"
#include "dsp/trackgain.h"
#include "ring/framering.h"

class RingRenderer : public AudioRenderer {
public:
    RingRenderer(FrameRing& ring, PlayClock& clock, GainRamp& gain)
        : m_ring(ring), m_clock(clock), m_gain(gain)
    {
    }

    // While not playing the device gets silence and the ring is left alone (stop, pause).
    // smooth: a pause fades the sound out over the next few ms and a resume fades it in, so
    // neither clicks; start and stop switch at once (the track starts or ends exactly).
    void setPlaying(bool playing, bool smooth = false)
    {
        m_smooth.store(smooth, std::memory_order_relaxed);
        m_playing.store(playing, std::memory_order_release);
    }
    void configure(int sampleRate); // while the output is stopped
    // Frames from ring index index on are held back (the device gets silence instead) until
    // release: they are at another sample rate, for the device opened again at that rate.
    void holdFrom(int64_t index) { m_holdIndex.store(index, std::memory_order_release); }
    void release() { m_holdIndex.store(-1, std::memory_order_release); }
    // Shapes the sound as it goes to the device, so a new setting is heard at once; its
    // setGains may be called at any time from the caller's thread.
    Equalizer& equalizer() { return m_equalizer; }
    // Each track's ReplayGain, applied before the equaliser; setFactor from any thread.
    TrackGain& trackGain() { return m_trackGain; }
    bool playing() const { return m_playing.load(std::memory_order_acquire); }
    // Blocks rendered so far (tests and the decode thread's end-of-track wait use it).
    uint64_t blocks() const { return m_blocks.load(std::memory_order_acquire); }

    void render(int16_t* out, int frames, int64_t heardEndNs) override;
    // Reads go back to the ring frame heard at heardAtNs; a pause or resume ramp the device
    // dropped plays again from there.
    void rewind(int64_t heardAtNs) override;

private:
    FrameRing& m_ring;
    PlayClock& m_clock;
    GainRamp& m_gain;
    Equalizer m_equalizer;
    TrackGain m_trackGain;
    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_smooth{false};
    std::atomic<int64_t> m_holdIndex{-1};
    // Audio thread only: the pause envelope, 1 while playing, 0 while paused.
    float m_level = 0.0f;
    float m_levelStep = 1.0f / 220;
    bool m_wasPlaying = false;
    // Where the last pause or resume ramp began in the ring, and which way it went.
    int64_t m_rampIndex = -1;
    bool m_rampRises = false;
    std::atomic<uint64_t> m_blocks{0};
};
