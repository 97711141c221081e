// The null output that also writes what would be heard to a WAV file (for tests).
#pragma once

#include <string>

#include "nulloutput.h"
#include "wav/wavwriter.h"

class CaptureOutput : public AudioOutput {
public:
    explicit CaptureOutput(std::string path, NullOutputOptions options = {});
    ~CaptureOutput() override;

    // Each start begins the file again; stop completes it.
    bool start(int sampleRate, AudioRenderer* renderer, std::string& error) override;
    void stop() override;
    int64_t nowNs() const override { return m_clock.nowNs(); }
    double clockSpeed() const override { return m_clock.clockSpeed(); }
    int sampleRate() const override { return m_clock.sampleRate(); }

private:
    std::string m_path;
    WavWriter m_writer; // touched by the output thread between start and stop
    NullOutput m_clock;
};
