// The picture of a video frame: a bitmap's colours as 8-bit red, green, blue on a canvas of a
// fixed size, the bitmap in its top-left corner, what it does not cover black.
#pragma once

#include "core/base/bitmap.h"

#include <cstdint>
#include <vector>

namespace orv {

// width x height pixels, 3 bytes each (red, green, blue), top row first.
std::vector<uint8_t> CanvasRgb(const TBitmap& picture, int32_t width, int32_t height);

} // namespace orv
