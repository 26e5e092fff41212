#include "core/video/canvas.h"

#include <algorithm>
#include <array>

namespace orv {

std::vector<uint8_t> CanvasRgb(const TBitmap& picture, int32_t width, int32_t height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3, 0);
    const int32_t w = std::min(width, picture.Width), h = std::min(height, picture.Height);
    if (w <= 0 || h <= 0) return rgb;
    std::array<std::array<uint8_t, 3>, 256> table{};
    for (size_t i = 0; i < picture.Palette.size() && i < 256; ++i) {
        const uint32_t c = picture.Palette[i];
        table[i] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
    }
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* out = rgb.data() + size_t(y) * size_t(width) * 3;
        if (picture.BitCount == 8) {
            const uint8_t* in = picture.Pixels.data() + size_t(y) * size_t(picture.Width);
            for (int32_t x = 0; x < w; ++x, out += 3)
                std::copy_n(table[in[x]].data(), 3, out);
        } else {
            const uint8_t* in = picture.Pixels.data() + size_t(y) * size_t(picture.Width) * 3;
            for (int32_t x = 0; x < w; ++x, out += 3, in += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        }
    }
    return rgb;
}

} // namespace orv
