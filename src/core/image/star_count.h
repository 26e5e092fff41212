// A simple star count, enough to tell a clear frame from a cloudy or trailed one: the local
// maxima above a threshold. A pixel counts when it is not on the image's edge, its value lies
// above the threshold, above each of its eight neighbours that come before it in stored order
// and at least each of those that come after it, so a flat top of equal values counts once.
// Hot pixels count too: the figure compares frames of one series, it names no star.
#pragma once

#include "core/image/value_plane.h"

#include <cstdint>
#include <span>

namespace orv {

// Stars are the maxima above the median plus this many spreads.
inline constexpr double kStarSpreads = 5;

int64_t CountStars(const TValuePlane& plane, double threshold);
// The same count when every value above the threshold lies in the runs of runLength values
// from the ascending starts: only those values are tested.
int64_t CountStarsIn(const TValuePlane& plane, double threshold, std::span<const size_t> starts,
                     size_t runLength);

} // namespace orv
