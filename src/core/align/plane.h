// One plane of values for the star finder, as floats with rows from the bottom (the order raw
// values are stored in), so that x and y count as the readout counts them, from 0: the
// luminance of a picture, or one channel of a colour image.
#pragma once

#include "core/base/bitmap.h"

#include <cstdint>
#include <vector>

namespace orv {

struct TPlane {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<float> Values; // Width x Height, the bottom row first

    float At(int32_t x, int32_t y) const { return Values[size_t(y) * size_t(Width) + size_t(x)]; }
};

// The luminance (0.299 R + 0.587 G + 0.114 B) of a picture.
TPlane PlaneOfPicture(const TBitmap& picture);

} // namespace orv
