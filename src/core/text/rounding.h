// Rounding to the nearest integer, halves to the even neighbour: the rounding of every
// threshold, level and delay in the program.
#pragma once

#include <cstdint>

namespace orv {

// Nearest integer as a double, halves to even (2.5 -> 2, 3.5 -> 4, -0.5 -> -0).
double RoundHalfEven(double v);

// RoundHalfEven clamped into the 64-bit range; NaN gives 0.
int64_t Round(double v);

// RoundHalfEven clamped into [lo, hi]; NaN gives 0 clamped.
int32_t RoundClamped(double v, int32_t lo, int32_t hi);

} // namespace orv
