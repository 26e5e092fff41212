// The sample drifting series: frames of one star field taken while the mount's tracking
// wanders, so that the field moves by a few whole pixels from frame to frame, with an asteroid
// crossing it and two hot pixels of the camera that stay put. The night crosses midnight
// (DATE-OBS changes) and every frame carries the sky coordinates of its pixels (a TAN WCS), so
// the series can be aligned on its stars or on its coordinates and the asteroid followed.
#pragma once

#include <cstdint>
#include <string>

namespace orv::sample {

constexpr int kDriftFrames = 12;

// Writes folder/drift01.fit ... (kDriftFrames frames unless told; the folder is created). The
// stars come from the seed; each frame's noise from the seed and its number.
void WriteDriftSeries(const std::string& folder, int width, int height, uint64_t seed,
                      int frames = kDriftFrames);

// Where the tracking has moved frame k (1-based): its pixel (x, y) shows what the first
// frame's pixel (x + X, y + Y) shows, so aligning moves it by (X, Y).
struct TDrift {
    int X, Y;
};
TDrift DriftOf(int frame);

} // namespace orv::sample
