// The Windows bitmap file image of a GIF image's bitmap: 8 bits, the whole 256-entry palette
// (blue, green, red, 0), pixel data right after it, rows bottom-up padded to 4 bytes,
// 143 pixels per metre both ways, no compression.
#pragma once

#include "core/base/bitmap.h"

#include <cstdint>
#include <vector>

namespace orv {

// bitmap must be 8-bit; palette entries it lacks are written black.
std::vector<uint8_t> GifBitmapFile(const TBitmap& bitmap);

} // namespace orv
