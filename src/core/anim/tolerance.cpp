#include "core/anim/tolerance.h"

#include "core/text/size_text.h"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

// t = (v - low) / (high - low) at which the display function reaches level 255 y.
double FractionAtLevel(TDisplayFunction function, double y, double midtones) {
    switch (function) {
    case TDisplayFunction::Sqrt:
        return y * y;
    case TDisplayFunction::Log:
        return (std::pow(1001.0, y) - 1) / 1000;
    case TDisplayFunction::Asinh:
        return std::sinh(y * std::asinh(10.0)) / 10;
    case TDisplayFunction::Mtf:
        return MidtonesTransfer(1 - midtones, y); // the transfer with balance 1 - b undoes b's
    case TDisplayFunction::Linear:
        break;
    }
    return y;
}

} // namespace

TAduSpan LevelsInAdu(int32_t levels, const TDisplaySettings& display) {
    levels = std::clamp(levels, 0, 255);
    const double range = std::fabs(display.HighThreshold - display.LowThreshold);
    TAduSpan span{INFINITY, 0};
    for (int32_t from = 0; from + levels <= 255; ++from) {
        const double a = FractionAtLevel(display.DisplayFunction, from / 255.0, display.MidtonesBalance);
        const double b =
            FractionAtLevel(display.DisplayFunction, (from + levels) / 255.0, display.MidtonesBalance);
        span.Least = std::min(span.Least, (b - a) * range);
        span.Most = std::max(span.Most, (b - a) * range);
    }
    return span;
}

std::string ToleranceText(int32_t levels, const TDisplaySettings& display) {
    const TAduSpan span = LevelsInAdu(levels, display);
    const std::string least = CommaNumber(span.Least), most = CommaNumber(span.Most);
    return std::to_string(levels) + (levels > 1 ? " niveaux = " : " niveau = ") +
           (least == most ? most : least + " à " + most) + " ADU";
}

std::string ToleranceText(int32_t levels, const std::vector<TAnimImg>& frames) {
    for (const TAnimImg& f : frames)
        if (f.Source) return ToleranceText(levels, f.Source->Display);
    return "";
}

} // namespace orv
