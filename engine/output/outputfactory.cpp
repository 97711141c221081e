// Output selection from the environment.
#include "outputfactory.h"

#include <cstdlib>

#include "captureoutput.h"
#include "sdloutput.h"

OutputConfig OutputConfig::fromEnvironment()
{
    OutputConfig config;
    const char* env = std::getenv("MORVANE_AUDIO");
    std::string value = env ? env : "";
    if (value == "null")
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
    case OutputConfig::Kind::Sdl:
        break;
    }
    return std::make_unique<SdlOutput>();
}
