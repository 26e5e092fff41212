// The whole-pixel offset between two frames from their celestial coordinate systems: the sky
// position of the reference's centre, found in the frame by inverting the frame's own pixel
// to sky transformation (distortions included), since the readout only goes that way.
#pragma once

#include "core/align/star_match.h"
#include "core/image/sky_coordinates.h"

#include <optional>
#include <utility>

namespace orv {

// The FITS pixel coordinates (1 at the centre of the first pixel) where `sky` maps the right
// ascension and declination (degrees), searched from (x, y); nothing where the search fails.
std::optional<std::pair<double, double>> SkyToPixel(const TSkyCoordinates& sky, double ra, double dec,
                                                    double x, double y);

// The offset that brings the frame's pixels onto the reference's: the reference's centre
// ((width + 1) / 2, (height + 1) / 2 in FITS pixels) less the same sky position in the frame,
// rounded half to even. EAlignError when either transformation cannot give it.
TOffset SkyOffset(const TSkyCoordinates& reference, int32_t width, int32_t height,
                  const TSkyCoordinates& frame);

} // namespace orv
