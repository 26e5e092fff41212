// The zscale thresholds: a line fitted to a thousand sorted samples of the image, the faint
// and bright ends rejected by clipping, its slope widened by the contrast around the samples'
// median. The samples, the fit, the clipping and its widening step are those of astropy's
// ZScaleInterval with its defaults, so that both give the same thresholds.
#pragma once

#include "core/image/value_plane.h"

#include <optional>

namespace orv {

struct TThresholdPair {
    double Low = 0;
    double High = 0;
};

// From the plane's finite values in stored order; nothing when it has none.
std::optional<TThresholdPair> ZScaleThresholds(const TValuePlane& plane);

} // namespace orv
