// The display of each frame of a series: its own, or the first frame's for every frame (one
// display, so the series does not flicker), and with normalisation each frame read on the
// first frame's sky level and spread (core/image/normalization.h).
#pragma once

#include "core/image/display_settings.h"
#include "core/image/robust_level.h"
#include "core/image/value_plane.h"

#include <array>

namespace orv {

struct TSeriesDisplayOptions {
    bool SameDisplay = false; // every frame with the first frame's display
    bool Normalize = false;   // frames mapped onto the first frame's median and spread
    // The frame's own display was computed from its values (an automatic display, a preset):
    // computed on the mapped values it would be the same display mapped, so it is kept as is.
    bool OwnFromValues = false;
};

struct TSeriesDisplay {
    TDisplaySettings Display; // what the frame is displayed with
    TRobustLevel Level;       // the frame's level, measured only to normalise
};

// A frame's display from its values (after region and binning) and its own display; `first`
// is what this gave the first frame, null for the first frame itself, whose result is then
// what the others need.
TSeriesDisplay SeriesFrameDisplay(const TValuePlane& values, const TDisplaySettings& own,
                                  const TSeriesDisplayOptions& options, const TSeriesDisplay* first);

// The same for a colour frame, channel by channel (red, green, blue): each channel normalised on
// the first frame's same channel, with its own display or the first frame's.
using TChannelSeriesDisplay = std::array<TSeriesDisplay, 3>;
TChannelSeriesDisplay SeriesColourDisplay(const std::array<TValuePlane, 3>& values,
                                          const std::array<TDisplaySettings, 3>& own,
                                          const TSeriesDisplayOptions& options,
                                          const TChannelSeriesDisplay* first);

// Whether the frames after the first need the first frame's result.
inline bool NeedsFirstFrame(const TSeriesDisplayOptions& options) {
    return options.SameDisplay || options.Normalize;
}

} // namespace orv
