// The automatic displays: thresholds (and for Mtf the display function with its balance)
// computed from one plane's values, so that a raw frame opened without useful thresholds
// shows its sky and stars. A colour image calls them once per channel.
#pragma once

#include "core/image/display_settings.h"
#include "core/image/robust_level.h"
#include "core/image/value_plane.h"
#include "core/image/zscale.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace orv {

enum class TAutoDisplay : uint8_t {
    ZScale, // the zscale thresholds, linear display
    Mtf,    // from the median and spread: the sky at level 64 through the Mtf function
};

// The command line's names: "zscale", "mtf".
std::string_view AutoDisplayName(TAutoDisplay mode);
std::optional<TAutoDisplay> AutoDisplayNamed(std::string_view name);

// The sky level Mtf puts the median at: a quarter of the way up (level 64).
inline constexpr double kMtfMedianPlace = 0.25;
// Mtf's low threshold lies this many spreads below the median (never below the minimum).
inline constexpr double kMtfShadowSpreads = 2.8;

// Mtf's thresholds and balance from a plane's robust figures; thresholds equal (and the
// balance neutral) when the values are all one.
struct TMtfDisplay {
    TThresholdPair Thresholds;
    double MidtonesBalance = kNeutralMidtones;
};
TMtfDisplay MtfDisplay(const TRobustLevel& level);

// `display` with the thresholds, function and balance of the mode computed on the plane's
// finite values; a plane with none keeps display's thresholds. The palette is kept.
TDisplaySettings AutoDisplaySettings(TAutoDisplay mode, const TValuePlane& plane, TDisplaySettings display);

// The same on a document with raw values; rendering (and the modified flag, which this never
// sets) are the caller's.
void ApplyAutoDisplay(TImageDocument& doc, TAutoDisplay mode);

} // namespace orv
