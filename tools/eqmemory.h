// The equaliser's memory for the run: the slider positions and preset of the last apply.
// Owned by the app and handed to the equaliser window; not stored in the settings file.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int kEqBands = 10;

struct EqMemory {
    std::array<int16_t, kEqBands> EqSliders{}; // slider positions (gain = -position)
    int16_t EqPreset = 0;                      // 0..6
};
