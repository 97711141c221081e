// Conversions of real values to integers as the drawing rules state them: to the nearest
// integer with halves to the even neighbour, results kept in the 16-bit range.
#pragma once

#include <cmath>
#include <cstdint>

inline int RoundEven(double value)
{
    // The default floating-point rounding mode rounds halves to even.
    const double limited = std::fmin(std::fmax(value, -32768.0), 32767.0);
    return static_cast<int>(std::lrint(limited));
}

inline int Clamp16(int64_t value)
{
    return static_cast<int>(value < -32768 ? -32768 : (value > 32767 ? 32767 : value));
}
