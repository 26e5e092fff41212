// The one-click actions of the threshold dialog: the planetary and deep-sky presets, which
// set the bars from the document's statistics, and the inversion (negative).
#pragma once

#include "core/image/debayer.h"
#include "core/image/statistics.h"
#include "core/tools/threshold_state.h"

#include <cstdint>

namespace orv {

// The presets act on every document but a bitmap and an empty one; the inversion on
// every document but a bitmap.
bool PresetsApply(uint8_t kind);
bool InversionApplies(uint8_t kind);

// High bar at the maximum, low bar at the median (both rounded, clamped), then ApplyBars.
void PlanetPreset(TThresholdState& s, const TStatistics& stats);

// High bar at median + 2 standard deviations, low bar at the median, then ApplyBars.
void DeepSkyPreset(TThresholdState& s, const TStatistics& stats);

// What the presets read of a picture shown in colour, whose three channels share one pair of
// thresholds: the lowest channel median (every channel's sky at or above the low threshold),
// the highest maximum, and the deviation that puts median + 2 deviations at the highest of the
// channels' own.
TStatistics ColourPresetStatistics(const TColourPlanes& planes);

// Exchanges the document's exact thresholds; the bars take them rounded, the edit texts
// exactly (FormatReal15). Twice gives back the thresholds it started from, to the bit.
void InvertThresholds(TThresholdState& s);

} // namespace orv
