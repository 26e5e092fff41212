// The robust figures of one plane's finite values: the exact median and the spread from the
// median absolute deviation, which a few stars or hot pixels do not move. The automatic
// display, the normalisation of a series and the series table all start from them.
#pragma once

#include "core/image/value_plane.h"

#include <cstddef>
#include <vector>

namespace orv {

// The spread of normally distributed values from their median absolute deviation.
inline constexpr double kMadToSigma = 1.4826;

struct TRobustLevel {
    size_t Count = 0; // finite values; the figures below are 0 when there is none
    double Minimum = 0;
    double Maximum = 0;
    double Median = 0; // of an even count, the mean of the two middle values
    double Spread = 0; // kMadToSigma x the median of |v - Median|
};

// Where a plane's values may stand above its median plus Spreads (>= 0) spreads, gathered during
// the passes that measure the level of a large 16-bit plane, so that a search for such values
// (the star count) need not pass over the plane again.
inline constexpr size_t kHighRun = 64;
struct THighRuns {
    double Spreads = 0;
    bool Found = false;         // when true, every such value lies in a run of kHighRun values from a start
    std::vector<size_t> Starts; // ascending
};

// NaN and the infinities are left out. With `high`, its runs are found when the plane allows.
// Without `extremes`, Minimum and Maximum may be left 0: a large 16-bit plane is measured a
// little faster.
TRobustLevel RobustLevel(const TValuePlane& plane, THighRuns* high = nullptr, bool extremes = true);

} // namespace orv
