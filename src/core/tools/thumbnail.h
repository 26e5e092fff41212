// The picture a file manager shows for an image file: the document as it is displayed, scaled
// down to fit within size x size, each pixel the mean colour of the pixels it covers. Never
// enlarged.
#pragma once

#include "core/base/bitmap.h"
#include "core/image/display.h"
#include "core/image/image_document.h"

#include <cstdint>

namespace orv {

// The size a picture of width x height takes within size x size: the aspect kept, each side
// at least 1, never larger than the picture.
TSize ThumbnailSize(int32_t width, int32_t height, int32_t size);

// A 24-bit picture of the document's display (its thresholds, palette and display function).
TBitmap Thumbnail(const TImageDocument& doc, int32_t size);
// The same of a picture already made (a colour image's).
TBitmap Thumbnail(const TBitmap& picture, int32_t size);

} // namespace orv
