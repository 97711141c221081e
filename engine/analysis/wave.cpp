// Oscilloscope samples: 16-bit audio reduced to 8-bit range.
#include "wave.h"

#include <algorithm>

void ComputeWave(const int16_t* frames, int frameCount, int channels, int32_t* left, int32_t* right)
{
    int usable =
        (frames && (channels == 1 || channels == 2)) ? std::clamp(frameCount, 0, kWaveSamples) : 0;
    for (int i = 0; i < usable; ++i) {
        // Integer division truncates toward zero, so -1..-255 give 0 like +1..+255.
        int32_t l = frames[i * channels] / 256;
        int32_t r = channels == 2 ? frames[i * channels + 1] / 256 : l;
        left[i] = l;
        right[i] = r;
    }
    std::fill(left + usable, left + kWaveSamples, 0);
    std::fill(right + usable, right + kWaveSamples, 0);
}
