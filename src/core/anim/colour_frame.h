// A colour frame made as a grey frame is, channel by channel: each channel's values cut to the
// region and binned, displayed with a display of its own (normalised on its own level), and the
// time stamp drawn white on black in all three channels.
#pragma once

#include "core/anim/anim_options.h"
#include "core/base/bitmap.h"
#include "core/image/debayer.h"
#include "core/image/display_settings.h"
#include "core/image/robust_level.h"

#include <array>
#include <string>

namespace orv {

using TChannelDisplays = std::array<TDisplaySettings, 3>; // red, green, blue
using TChannelLevels = std::array<TRobustLevel, 3>;

// The channels cut to the options' region and binned: the planes themselves when neither is
// asked, else values of their own. ERegionError when the region is not inside.
TColourPlanes ReducedPlanes(const TColourPlanes& planes, const TAnimOptions& options);

// Each channel's level, which normalisation maps onto the first frame's channel by channel.
TChannelLevels ChannelLevels(const TColourPlanes& planes);

// The displays that read each channel on the reference's level of that channel.
TChannelDisplays NormalizedDisplays(const TChannelDisplays& displays, const TChannelLevels& reference,
                                    const TChannelLevels& frame);

// The 24-bit picture of channels already reduced, each with its display, stamped with `stamp`
// when the options ask for stamps.
TBitmap ComposeColour(const TColourPlanes& planes, const TChannelDisplays& displays, const std::string& stamp,
                      const TAnimOptions& options);

} // namespace orv
