#include "core/image/display_function.h"

#include <cmath>
#include <limits>

namespace orv {

namespace {

constexpr long double PowerOfTwo(int n) {
    long double p = 1;
    for (; n > 0; --n)
        p *= 2;
    return p;
}

// Rounded to a whole number as nearbyintl does (the current rounding mode: half to even), by
// adding and taking away 1.5 x 2^(digits - 1), which leaves no fraction bits; nearbyintl saves
// and restores the floating-point environment, a hundred nanoseconds a call, and the level
// tables make one call per value. Never folded: IEEE arithmetic is not reassociated.
uint8_t ToLevel(long double scaled) {
    constexpr long double kShift = 1.5L * PowerOfTwo(std::numeric_limits<long double>::digits - 1);
    if (!(scaled > -1)) return 0; // never reached for values between the thresholds
    if (scaled >= 256) return 255;
    const double whole = static_cast<double>((scaled + kShift) - kShift); // exact: at most 256
    return whole <= 0 ? 0 : whole >= 255 ? 255 : static_cast<uint8_t>(whole);
}

} // namespace

double MidtonesTransfer(double balance, double t) {
    return (balance - 1) * t / ((2 * balance - 1) * t - balance);
}

uint8_t FunctionLevel(TDisplayFunction function, long double v, long double low, long double high,
                      double midtones) {
    if (function == TDisplayFunction::Linear) return ToLevel((v - low) * 255.0L / (high - low));
    const long double t = (v - low) / (high - low);
    switch (function) {
    case TDisplayFunction::Sqrt:
        return ToLevel(255.0L * std::sqrt(t));
    case TDisplayFunction::Log:
        return ToLevel(255.0L * std::log1p(1000.0L * t) / std::log(1001.0L));
    case TDisplayFunction::Asinh:
        return ToLevel(255.0L * std::asinh(10.0L * t) / std::asinh(10.0L));
    case TDisplayFunction::Mtf:
        // Called only strictly between the thresholds, where the denominator is never 0 for a
        // balance in [0, 1].
        return ToLevel(
            255.0 * MidtonesTransfer(midtones, (static_cast<double>(v) - static_cast<double>(low)) /
                                                   (static_cast<double>(high) - static_cast<double>(low))));
    default:
        return ToLevel(255.0L * t);
    }
}

namespace {

struct TNames {
    TDisplayFunction Function;
    std::string_view Name, Caption;
};

constexpr TNames kNames[] = {{TDisplayFunction::Linear, "linear", "Linéaire"},
                             {TDisplayFunction::Sqrt, "sqrt", "Racine carrée"},
                             {TDisplayFunction::Log, "log", "Logarithme"},
                             {TDisplayFunction::Asinh, "asinh", "Asinh"},
                             {TDisplayFunction::Mtf, "mtf", "MTF"}};

const TNames& NamesOf(TDisplayFunction function) {
    for (const TNames& n : kNames)
        if (n.Function == function) return n;
    return kNames[0];
}

} // namespace

std::string_view DisplayFunctionName(TDisplayFunction function) {
    return NamesOf(function).Name;
}

std::optional<TDisplayFunction> DisplayFunctionNamed(std::string_view name) {
    for (const TNames& n : kNames)
        if (n.Name == name) return n.Function;
    return std::nullopt;
}

std::string_view DisplayFunctionCaption(TDisplayFunction function) {
    return NamesOf(function).Caption;
}

} // namespace orv
