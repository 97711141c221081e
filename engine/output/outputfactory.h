// Chooses the sound output: MORVANE_AUDIO unset = the sound server through libpulse (PulseAudio or
// PipeWire's pulse server), else the default device through SDL2; "pulse" or "sdl" = only that one;
// "null" = silent real-time clock; "capture:PATH" = silent clock writing what would be heard to PATH.
#pragma once

#include <memory>
#include <string>

#include "nulloutput.h"

struct OutputConfig {
    enum class Kind { Auto, Pulse, Sdl, Null, Capture };
    Kind kind = Kind::Auto;
    std::string capturePath;
    NullOutputOptions nullOptions; // for Null and Capture
    NullOutput::Tap tap;           // for Null: sees every block (tests)

    static OutputConfig fromEnvironment();
};

std::unique_ptr<AudioOutput> MakeOutput(const OutputConfig& config);

// Starts the configured output, trying the next one when a device cannot be opened (the sound
// server, then SDL2, then the null output). why receives the reasons of the outputs passed over.
std::unique_ptr<AudioOutput> StartOutput(const OutputConfig& config, int sampleRate,
                                         AudioRenderer* renderer, std::string& why);
