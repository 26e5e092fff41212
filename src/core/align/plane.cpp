#include "core/align/plane.h"

namespace orv {

TPlane PlaneOfPicture(const TBitmap& picture) {
    TPlane plane;
    if (picture.Width <= 0 || picture.Height <= 0) return plane;
    plane.Width = picture.Width;
    plane.Height = picture.Height;
    plane.Values.resize(size_t(picture.Width) * size_t(picture.Height));
    for (int32_t y = 0; y < picture.Height; ++y)
        for (int32_t x = 0; x < picture.Width; ++x) {
            const uint32_t c = picture.PixelColor(x, picture.Height - 1 - y); // its rows run from the top
            plane.Values[size_t(y) * size_t(picture.Width) + size_t(x)] =
                0.299f * float(c & 0xFF) + 0.587f * float(c >> 8 & 0xFF) + 0.114f * float(c >> 16 & 0xFF);
        }
    return plane;
}

} // namespace orv
