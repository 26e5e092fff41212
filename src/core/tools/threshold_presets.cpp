#include "core/tools/threshold_presets.h"

#include "core/image/image_document.h"
#include "core/text/rounding.h"

#include <algorithm>

namespace orv {

bool PresetsApply(uint8_t kind) {
    return kind != kKindBmp && kind != kKindEmpty;
}

bool InversionApplies(uint8_t kind) {
    return kind != kKindBmp;
}

void PlanetPreset(TThresholdState& s, const TStatistics& stats) {
    s.HighBar = RoundClamped(stats.Maximum, kBarMin, kBarMax);
    s.LowBar = RoundClamped(stats.Median, kBarMin, kBarMax);
    ApplyBars(s);
}

void DeepSkyPreset(TThresholdState& s, const TStatistics& stats) {
    s.HighBar = RoundClamped(stats.Median + 2.0 * stats.StandardDeviation, kBarMin, kBarMax);
    s.LowBar = RoundClamped(stats.Median, kBarMin, kBarMax);
    ApplyBars(s);
}

TStatistics ColourPresetStatistics(const TColourPlanes& planes) {
    TStatistics out;
    double deepSkyHigh = 0;
    for (size_t c = 0; c < 3; ++c) {
        const TStatistics s = ComputeStatistics(planes.Channels[c]);
        const double high = s.Median + 2.0 * s.StandardDeviation;
        if (c == 0) {
            out = s;
            deepSkyHigh = high;
            continue;
        }
        out.Minimum = std::min(out.Minimum, s.Minimum);
        out.Median = std::min(out.Median, s.Median);
        out.Maximum = std::max(out.Maximum, s.Maximum);
        deepSkyHigh = std::max(deepSkyHigh, high);
    }
    out.StandardDeviation = (deepSkyHigh - out.Median) / 2.0;
    return out;
}

void InvertThresholds(TThresholdState& s) {
    // The exact doubles, not their 15-digit texts read back: twice is the identity.
    PushThresholds(s, s.LowThreshold, s.HighThreshold);
}

} // namespace orv
