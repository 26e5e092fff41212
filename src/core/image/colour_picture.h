// A colour image's picture: each channel goes through the document's thresholds, inversion and
// display function exactly as a grey image's values do, the three levels making one pixel.
#pragma once

#include "core/base/bitmap.h"
#include "core/image/debayer.h"
#include "core/image/display_settings.h"
#include "core/image/image_document.h"

#include <array>
#include <optional>

namespace orv {

// The 24-bit picture of `planes` (rows bottom first) shown with the display of `doc`; its
// pixels are top row first, as TBitmap keeps them.
TBitmap ColourPicture(const TImageDocument& doc, const TColourPlanes& planes);

// The same with a display of its own for each channel, red, green, blue (an automatic display
// computed channel by channel); their palettes are not used.
TBitmap ColourPicture(const TColourPlanes& planes, const std::array<TDisplaySettings, 3>& channels);

// The picture of a 16-bit mosaic debayered by `method` with a display of its own for each
// channel, made straight from the mosaic without planes of reals: the same pixels as
// ColourPicture of its planes. Nothing for another document (its planes are then needed).
std::optional<TBitmap> MosaicPicture(const TImageDocument& doc, TDebayer method,
                                     const std::array<TDisplaySettings, 3>& channels);

} // namespace orv
