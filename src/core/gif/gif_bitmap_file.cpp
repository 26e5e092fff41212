#include "core/gif/gif_bitmap_file.h"

#include "core/base/bitmap.h"

#include <cstring>

namespace orv {

namespace {
void Put(std::vector<uint8_t>& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
} // namespace

std::vector<uint8_t> GifBitmapFile(const TBitmap& bitmap) {
    constexpr size_t kOffset = kPalettedBmpDataOffset;
    const size_t w = size_t(bitmap.Width), h = size_t(bitmap.Height);
    const size_t stride = (w + 3) / 4 * 4;
    std::vector<uint8_t> out(kOffset + stride * h, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put(out, 2, uint32_t(out.size()), 4);
    Put(out, 10, uint32_t(kOffset), 4);
    Put(out, 14, 40, 4);
    Put(out, 18, uint32_t(w), 4);
    Put(out, 22, uint32_t(h), 4);
    Put(out, 26, 1, 2);
    Put(out, 28, 8, 2);
    Put(out, 34, uint32_t(stride * h), 4);
    Put(out, 38, 143, 4);
    Put(out, 42, 143, 4);
    for (size_t i = 0; i < 256 && i < bitmap.Palette.size(); ++i) {
        const uint32_t c = bitmap.Palette[i];
        out[54 + 4 * i] = uint8_t(c >> 16);
        out[55 + 4 * i] = uint8_t(c >> 8);
        out[56 + 4 * i] = uint8_t(c);
    }
    for (size_t y = 0; y < h && w > 0; ++y)
        std::memcpy(out.data() + kOffset + (h - 1 - y) * stride, bitmap.Pixels.data() + y * w, w);
    return out;
}

} // namespace orv
