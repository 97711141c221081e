// The display's number fields.
#include "displayfields.h"

#include <algorithm>
#include <cstdio>

namespace {
std::string padded(int value, int places, char fill)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    std::string out(text);
    if (static_cast<int>(out.size()) < places)
        out.insert(0, static_cast<size_t>(places) - out.size(), fill);
    return out;
}
} // namespace

std::string SampleRateField(int hz)
{
    hz = std::max(0, hz);
    if (hz <= 99999)
        return padded(hz, 5, '0');
    // 16 MHz is far past any real rate; beyond it the field would overflow again.
    return padded(std::min((hz + 500) / 1000, 99999), 5, ' ');
}

std::string BitRateField(int kbps)
{
    return padded(std::clamp(kbps, 0, 999), 3, '0');
}
