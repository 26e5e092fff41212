// Normalised frames: frame k's values v read as m1 + (v - mk) s1 / sk (m the median, s the
// spread, of frame 1 and frame k), so that frames differing only by sky level and gain show
// alike. The values are never rewritten: the display's thresholds are mapped the other way,
// which gives every value the level its mapped value would get and keeps 16-bit frames on
// their tables.
#pragma once

#include "core/image/display_settings.h"
#include "core/image/robust_level.h"

namespace orv {

// The display that shows frame values as `display` shows them mapped onto the reference's
// level. Without finite values on either side the display is kept; without a spread on
// either side only the sky level moves (scale 1).
TDisplaySettings NormalizedDisplay(const TDisplaySettings& display, const TRobustLevel& reference,
                                   const TRobustLevel& frame);

} // namespace orv
