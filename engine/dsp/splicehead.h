// The head of audio made again from a new setting, joined to what was queued before it: the
// frames made before the join point are dropped and the first few are cross-faded with the old
// audio, so the change neither gaps nor clicks.
//
// Decode thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class SpliceHead {
public:
    static constexpr int kCrossfadeFrames = 256;

    // dropFrames output frames are thrown away, then the next old.size() / 2 frames fade in over
    // the old stereo frames.
    void begin(int64_t dropFrames, std::vector<int16_t> old);
    void cancel();
    bool active() const { return m_drop > 0 || m_faded < m_old.size() / 2; }
    // Applies the join to the stereo frames of out from frame first on (those just made).
    void apply(std::vector<int16_t>& out, size_t first);

private:
    int64_t m_drop = 0;
    std::vector<int16_t> m_old;
    size_t m_faded = 0; // old frames already mixed
};
