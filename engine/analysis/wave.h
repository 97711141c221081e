// The oscilloscope picture of the samples being heard: 256 samples per channel, scaled to 8 bits.
#pragma once

#include <cstdint>

inline constexpr int kWaveSamples = 256;

// frames: interleaved 16-bit samples, channels 1 or 2 (mono is copied to both outputs).
// Writes kWaveSamples values to left and right, each sample / 256 (-128..127); frames past
// frameCount, and all of them for null input, are 0. Pure; any thread; no allocation.
void ComputeWave(const int16_t* frames, int frameCount, int channels, int32_t* left,
                 int32_t* right);
