// Pitch shift and tempo change with SoundTouch (float samples, stereo).
//
// Decode thread only. At 100 % pitch and tempo x1 the stage is bypassed by its owner. SoundTouch
// holds roughly 100 ms of input; its output frame k plays input frame k * tempo - alignment, where
// the alignment (a few ms, depending on pitch and tempo) is measured once per setting.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace soundtouch {
class SoundTouch;
}

class PitchTempo {
public:
    PitchTempo();
    ~PitchTempo();

    void configure(int sampleRate);
    void set(int pitchPercent, double tempo);
    bool bypassed() const { return m_pitchPercent == 100 && m_tempo == 1.0; }
    double tempo() const { return m_tempo; }

    // Feeds count stereo frames and appends whatever is ready to out.
    void process(const float* frames, int count, std::vector<float>& out);
    // At the end of the track: appends the audio still held.
    void flush(std::vector<float>& out);
    void clear(); // drops held audio (seek, reload)
    // Input frames by which output frame k lags input frame k * tempo for the current setting:
    // measured by sending a tone onset through a scratch SoundTouch (a millisecond or two).
    int64_t alignmentFrames();

private:
    void receive(std::vector<float>& out);

    std::unique_ptr<soundtouch::SoundTouch> m_touch;
    int m_sampleRate = 44100;
    int m_pitchPercent = 100;
    double m_tempo = 1.0;
    // Alignments measured at this sample rate, by pitch and tempo (a drag of the pitch slider
    // visits the same settings again and again).
    std::map<std::pair<int, double>, int64_t> m_alignments;
};
