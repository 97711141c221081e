// Chooses the sound output: MORVANE_AUDIO unset or "sdl" = the default device, "null" = silent
// real-time clock, "capture:PATH" = silent clock writing what would be heard to PATH.
#pragma once

#include <memory>
#include <string>

#include "nulloutput.h"

struct OutputConfig {
    enum class Kind { Sdl, Null, Capture };
    Kind kind = Kind::Sdl;
    std::string capturePath;
    NullOutputOptions nullOptions; // for Null and Capture
    NullOutput::Tap tap;           // for Null: sees every block (tests)

    static OutputConfig fromEnvironment();
};

std::unique_ptr<AudioOutput> MakeOutput(const OutputConfig& config);
