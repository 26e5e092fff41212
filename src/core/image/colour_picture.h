// A colour image's picture: each channel goes through the document's thresholds, inversion and
// display function exactly as a grey image's values do, the three levels making one pixel.
#pragma once

#include "core/base/bitmap.h"
#include "core/image/debayer.h"
#include "core/image/image_document.h"

namespace orv {

// The 24-bit picture of `planes` (rows bottom first) shown with the display of `doc`; its
// pixels are top row first, as TBitmap keeps them.
TBitmap ColourPicture(const TImageDocument& doc, const TColourPlanes& planes);

} // namespace orv
