#include "core/image/display_function.h"

#include <cmath>

namespace orv {

namespace {

uint8_t ToLevel(long double scaled) {
    const long double r = std::nearbyintl(scaled);
    if (!(r >= 0)) return 0; // never reached for values between the thresholds
    if (r > 255) return 255;
    return static_cast<uint8_t>(r);
}

} // namespace

uint8_t FunctionLevel(TDisplayFunction function, long double v, long double low, long double high) {
    if (function == TDisplayFunction::Linear) return ToLevel((v - low) * 255.0L / (high - low));
    const long double t = (v - low) / (high - low);
    switch (function) {
    case TDisplayFunction::Sqrt:
        return ToLevel(255.0L * std::sqrt(t));
    case TDisplayFunction::Log:
        return ToLevel(255.0L * std::log1p(1000.0L * t) / std::log(1001.0L));
    case TDisplayFunction::Asinh:
        return ToLevel(255.0L * std::asinh(10.0L * t) / std::asinh(10.0L));
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
                             {TDisplayFunction::Asinh, "asinh", "Asinh"}};

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
