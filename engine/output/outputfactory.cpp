// Output selection from the environment.
#include "outputfactory.h"

#include <cstdlib>
#include <vector>

#include "captureoutput.h"
#include "pulseoutput.h"
#include "sdloutput.h"

OutputConfig OutputConfig::fromEnvironment()
{
    OutputConfig config;
    const char* env = std::getenv("MORVANE_AUDIO");
    std::string value = env ? env : "";
    if (value == "pulse")
        config.kind = Kind::Pulse;
    else if (value == "sdl")
        config.kind = Kind::Sdl;
    else if (value == "null")
        config.kind = Kind::Null;
    else if (value.rfind("capture:", 0) == 0 && value.size() > 8) {
        config.kind = Kind::Capture;
        config.capturePath = value.substr(8);
    }
    return config;
}

std::unique_ptr<AudioOutput> MakeOutput(const OutputConfig& config)
{
    switch (config.kind) {
    case OutputConfig::Kind::Null:
        return std::make_unique<NullOutput>(config.nullOptions, config.tap);
    case OutputConfig::Kind::Capture:
        return std::make_unique<CaptureOutput>(config.capturePath, config.nullOptions);
    case OutputConfig::Kind::Auto:
    case OutputConfig::Kind::Pulse:
        return std::make_unique<PulseOutput>();
    case OutputConfig::Kind::Sdl:
        break;
    }
    return std::make_unique<SdlOutput>();
}

std::unique_ptr<AudioOutput> StartOutput(const OutputConfig& config, int sampleRate,
                                         AudioRenderer* renderer, std::string& why)
{
    why.clear();
    std::vector<std::unique_ptr<AudioOutput>> choices;
    choices.push_back(MakeOutput(config));
    // SDL2 covers the machines without a pulse server (ALSA alone, JACK, PipeWire without its
    // pulse server).
    if (config.kind == OutputConfig::Kind::Auto)
        choices.push_back(std::make_unique<SdlOutput>());
    choices.push_back(std::make_unique<NullOutput>(config.nullOptions));
    for (auto& output : choices) {
        std::string error;
        if (output->start(sampleRate, renderer, error))
            return std::move(output);
        why += (why.empty() ? "" : "; ") + error;
    }
    return nullptr;
}
