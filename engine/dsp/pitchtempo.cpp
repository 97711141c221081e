// SoundTouch wrapper.
#include "pitchtempo.h"

#include <SoundTouch.h>

PitchTempo::PitchTempo() : m_touch(std::make_unique<soundtouch::SoundTouch>()) {}

PitchTempo::~PitchTempo() = default;

void PitchTempo::configure(int sampleRate)
{
    m_touch->setSampleRate(static_cast<unsigned>(sampleRate > 0 ? sampleRate : 44100));
    m_touch->setChannels(2);
    set(m_pitchPercent, m_tempo);
    m_touch->clear();
}

void PitchTempo::set(int pitchPercent, double tempo)
{
    m_pitchPercent = pitchPercent;
    m_tempo = tempo;
    m_touch->setPitch(pitchPercent / 100.0);
    m_touch->setTempo(tempo);
}

void PitchTempo::receive(std::vector<float>& out)
{
    for (;;) {
        unsigned ready = m_touch->numSamples();
        if (ready == 0)
            break;
        size_t at = out.size();
        out.resize(at + static_cast<size_t>(ready) * 2);
        unsigned got = m_touch->receiveSamples(out.data() + at, ready);
        out.resize(at + static_cast<size_t>(got) * 2);
        if (got == 0)
            break;
    }
}

void PitchTempo::process(const float* frames, int count, std::vector<float>& out)
{
    m_touch->putSamples(frames, static_cast<unsigned>(count));
    receive(out);
}

void PitchTempo::flush(std::vector<float>& out)
{
    m_touch->flush();
    receive(out);
}

void PitchTempo::clear()
{
    m_touch->clear();
}
