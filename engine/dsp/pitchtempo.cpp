// SoundTouch wrapper.
#include "pitchtempo.h"

#include <cmath>

#include <SoundTouch.h>

PitchTempo::PitchTempo() : m_touch(std::make_unique<soundtouch::SoundTouch>()) {}

PitchTempo::~PitchTempo() = default;

void PitchTempo::configure(int sampleRate)
{
    const int rate = sampleRate > 0 ? sampleRate : 44100;
    if (rate != m_sampleRate)
        m_alignments.clear();
    m_sampleRate = rate;
    m_touch->setSampleRate(static_cast<unsigned>(m_sampleRate));
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

int64_t PitchTempo::alignmentFrames()
{
    const auto setting = std::make_pair(m_pitchPercent, m_tempo);
    if (auto known = m_alignments.find(setting); known != m_alignments.end())
        return known->second;
    // 150 ms of silence, then a 1 kHz tone: where the tone comes out tells the stage's offset.
    soundtouch::SoundTouch scratch;
    scratch.setSampleRate(static_cast<unsigned>(m_sampleRate));
    scratch.setChannels(2);
    scratch.setPitch(m_pitchPercent / 100.0);
    scratch.setTempo(m_tempo);
    const int onset = m_sampleRate * 15 / 100;
    std::vector<float> input(static_cast<size_t>(onset + m_sampleRate / 5) * 2, 0.0f);
    for (size_t i = static_cast<size_t>(onset); i < input.size() / 2; ++i)
        input[2 * i] = input[2 * i + 1] =
            0.5f * static_cast<float>(std::sin(2 * M_PI * 1000.0 *
                                               static_cast<double>(i - static_cast<size_t>(onset)) /
                                               m_sampleRate));
    scratch.putSamples(input.data(), static_cast<unsigned>(input.size() / 2));
    scratch.flush();
    std::vector<float> output(static_cast<size_t>(scratch.numSamples()) * 2);
    unsigned got = scratch.receiveSamples(output.data(), scratch.numSamples());
    int64_t heard = -1;
    for (unsigned k = 0; k < got; ++k)
        if (std::fabs(output[2 * k]) >= 0.06f) {
            heard = k;
            break;
        }
    const int64_t alignment =
        heard < 0 ? 0 : std::llround(static_cast<double>(heard) * m_tempo) - onset;
    m_alignments[setting] = alignment;
    return alignment;
}
