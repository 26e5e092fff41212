#include "core/image/normalization.h"

namespace orv {

TDisplaySettings NormalizedDisplay(const TDisplaySettings& display, const TRobustLevel& reference,
                                   const TRobustLevel& frame) {
    if (reference.Count == 0 || frame.Count == 0) return display;
    const double scale = reference.Spread > 0 && frame.Spread > 0 ? reference.Spread / frame.Spread : 1.0;
    // v' = m1 + (v - mk) scale, so the value that maps onto threshold t is mk + (t - m1) / scale.
    const auto back = [&](double t) { return frame.Median + (t - reference.Median) / scale; };
    TDisplaySettings mapped = display;
    mapped.LowThreshold = back(display.LowThreshold);
    mapped.HighThreshold = back(display.HighThreshold);
    return mapped;
}

} // namespace orv
