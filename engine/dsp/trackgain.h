// The ReplayGain stage: each track's own gain, applied to the frames the ring hands to the
// device, before the equaliser, so a new setting is heard at once and a gapless join takes the
// next track's gain with its first block.
//
// Threads: setFactor from any thread (the engine's caller and decode threads); process and
// current on the audio thread only, which never blocks or allocates. A track's factor is kept in
// one of a few slots keyed by the clock's track number; a change glides over kGlideFrames, like
// an equaliser change, so it never clicks. A factor of 1 leaves the samples untouched.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

class TrackGain {
public:
    static constexpr int kGlideFrames = 1024;

    // The linear gain of the frames of track number track (the clock's numbering).
    void setFactor(int track, float factor);
    // Forgets every track's factor; frames of unknown tracks keep the factor in force.
    void clear();
    // Audio thread: scales count stereo frames of track in place, gliding to its factor.
    void process(int16_t* frames, int count, int track);
    // Audio thread, as playback starts: the next track's factor applies from its first frame.
    void settle() { m_settle = true; }
    // Audio thread: the factor in force now.
    float current() const { return m_now; }

private:
    struct Slot {
        std::atomic<int> track{0}; // 0: empty
        std::atomic<float> factor{1.0f};
    };
    static constexpr int kSlots = 4;
    std::array<Slot, kSlots> m_slots;
    std::atomic<int> m_nextSlot{0};

    // Audio thread.
    float m_now = 1.0f;
    float m_target = 1.0f;
    float m_step = 0.0f;
    bool m_settle = true;
};
