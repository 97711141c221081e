// Rounding a float sample to 16 bits inline: std::lrintf is a library call for every sample.
#pragma once

#include <cmath>
#include <cstdint>

#if defined(__x86_64__) || defined(__SSE__)
#include <xmmintrin.h>
#endif

// Nearest integer, halves to even (the rounding mode, exactly as lrintf); value must already lie
// within the 16-bit range.
inline int16_t RoundToSample(float value)
{
#if defined(__x86_64__) || defined(__SSE__)
    return static_cast<int16_t>(_mm_cvt_ss2si(_mm_set_ss(value)));
#else
    return static_cast<int16_t>(std::lrintf(value));
#endif
}
