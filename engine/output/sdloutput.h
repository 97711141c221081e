// The default sound device through SDL2.
//
// start/stop on the caller's thread; SDL's audio thread calls the renderer.
#pragma once

#include <cstdint>

#include "audiooutput.h"

class SdlOutput : public AudioOutput {
public:
    SdlOutput() = default;
    ~SdlOutput() override;

    bool start(int sampleRate, AudioRenderer* renderer, std::string& error) override;
    void stop() override;
    int64_t nowNs() const override;
    int sampleRate() const override { return m_sampleRate; }

private:
    static void callback(void* self, uint8_t* stream, int bytes);

    uint32_t m_device = 0;
    bool m_subsystem = false;
    int m_sampleRate = 0;
    int64_t m_latencyNs = 0; // a device buffer ahead of the block being filled
    AudioRenderer* m_renderer = nullptr;
};
