// How much a processed copy of a signal is louder or quieter than the signal at chosen
// frequencies: the equaliser's measured response, from a noise recording and its source.
#pragma once

#include <cstdint>
#include <vector>

// Gain in dB at each of centresHz of processed against source, both interleaved stereo 16-bit
// at sampleRate. The processed copy may start later (leading silence) or end sooner; each
// begins at its first non-zero frame. Averaged over both channels, half-overlapping Hann
// windows of 8192 frames, and the bins within a 48th of an octave of each centre. Empty when
// either signal holds less than one window.
std::vector<double> MeasureBandGainsDb(const std::vector<int16_t>& source,
                                       const std::vector<int16_t>& processed, int sampleRate,
                                       const std::vector<double>& centresHz);
