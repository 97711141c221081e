// The texts of the display's small number fields (sample rate in 5 places, bit rate in 3): each
// place a digit, or a blank that leaves the place empty.
#pragma once

#include <string>

// Rates up to 99999 Hz in Hz with leading zeros ("44100", "08000"); higher rates, which five
// digits cannot hold, in whole kHz with leading blanks ("   96" is never shown: 96000 fits;
// 176400 gives "  176", 192000 "  192", 352800 "  353").
std::string SampleRateField(int hz);
// kbit/s with leading zeros ("128", "064"); a lossless file's average above 999 shows "999".
std::string BitRateField(int kbps);
