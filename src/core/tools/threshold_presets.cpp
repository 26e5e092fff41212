#include "core/tools/threshold_presets.h"

#include "core/image/image_document.h"
#include "core/text/rounding.h"

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

void InvertThresholds(TThresholdState& s) {
    // The exact doubles, not their 15-digit texts read back: twice is the identity.
    PushThresholds(s, s.LowThreshold, s.HighThreshold);
}

} // namespace orv
