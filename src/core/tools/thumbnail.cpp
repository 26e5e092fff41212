#include "core/tools/thumbnail.h"

#include <algorithm>
#include <cmath>

namespace orv {

TSize ThumbnailSize(int32_t width, int32_t height, int32_t size) {
    if (width <= size && height <= size) return {width, height};
    const double scale = std::min(double(size) / width, double(size) / height);
    return {std::clamp(int32_t(std::lround(width * scale)), 1, size),
            std::clamp(int32_t(std::lround(height * scale)), 1, size)};
}

TBitmap Thumbnail(const TImageDocument& doc, int32_t size) {
    return Thumbnail(TBitmap::FromBmpFile(doc.DisplayStream), size);
}

TBitmap Thumbnail(const TBitmap& picture, int32_t size) {
    const TSize fit = ThumbnailSize(picture.Width, picture.Height, size);
    TBitmap out;
    out.Width = fit.Width;
    out.Height = fit.Height;
    out.BitCount = 24;
    out.Pixels.resize(size_t(fit.Width) * size_t(fit.Height) * 3);
    for (int32_t oy = 0; oy < fit.Height; ++oy) {
        const int32_t y0 = int32_t(int64_t(oy) * picture.Height / fit.Height);
        const int32_t y1 = std::max(y0 + 1, int32_t(int64_t(oy + 1) * picture.Height / fit.Height));
        for (int32_t ox = 0; ox < fit.Width; ++ox) {
            const int32_t x0 = int32_t(int64_t(ox) * picture.Width / fit.Width);
            const int32_t x1 = std::max(x0 + 1, int32_t(int64_t(ox + 1) * picture.Width / fit.Width));
            uint64_t r = 0, g = 0, b = 0;
            for (int32_t y = y0; y < y1; ++y)
                for (int32_t x = x0; x < x1; ++x) {
                    const uint32_t c = picture.PixelColor(x, y);
                    r += c & 0xFF, g += (c >> 8) & 0xFF, b += (c >> 16) & 0xFF;
                }
            const uint64_t n = uint64_t(y1 - y0) * uint64_t(x1 - x0);
            uint8_t* p = out.Pixels.data() + (size_t(oy) * size_t(fit.Width) + size_t(ox)) * 3;
            p[0] = uint8_t((b + n / 2) / n), p[1] = uint8_t((g + n / 2) / n), p[2] = uint8_t((r + n / 2) / n);
        }
    }
    return out;
}

} // namespace orv
