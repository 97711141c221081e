// SDL2 device output: opens the default device for stereo 16-bit at the track's rate.
#include "sdloutput.h"

#include <chrono>

#include <SDL.h>

SdlOutput::~SdlOutput()
{
    stop();
}

bool SdlOutput::start(int sampleRate, AudioRenderer* renderer, std::string& error)
{
    stop();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return false;
    }
    m_subsystem = true;
    m_renderer = renderer;
    SDL_AudioSpec want{};
    want.freq = sampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlOutput::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts to whatever the device really runs at.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0) {
        error = SDL_GetError();
        stop();
        return false;
    }
    m_sampleRate = sampleRate;
    m_latencyNs = static_cast<int64_t>(1e9 * have.samples / have.freq);
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void SdlOutput::stop()
{
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
    if (m_subsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_subsystem = false;
    }
}

int64_t SdlOutput::nowNs() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SdlOutput::callback(void* self, uint8_t* stream, int bytes)
{
    auto* out = static_cast<SdlOutput*>(self);
    int frames = bytes / 4;
    // The block starts after the buffer the device is playing now.
    int64_t heardEnd =
        out->nowNs() + out->m_latencyNs + static_cast<int64_t>(1e9 * frames / out->m_sampleRate);
    out->m_renderer->render(reinterpret_cast<int16_t*>(stream), frames, heardEnd);
}
