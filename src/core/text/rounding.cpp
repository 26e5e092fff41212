#include "core/text/rounding.h"

#include <cmath>

namespace orv {

double RoundHalfEven(double v) {
    double r = std::round(v); // halves away from zero
    if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
    return r;
}

int64_t Round(double v) {
    if (std::isnan(v)) return 0;
    double r = RoundHalfEven(v);
    if (r >= 9223372036854775807.0) return INT64_MAX;
    if (r <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<int64_t>(r);
}

int32_t RoundClamped(double v, int32_t lo, int32_t hi) {
    int64_t r = Round(v);
    if (r < lo) return lo;
    if (r > hi) return hi;
    return static_cast<int32_t>(r);
}

} // namespace orv
