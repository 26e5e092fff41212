#include "core/anim/frame_region.h"

#include "core/image/image_document.h"

#include <cstring>

namespace orv {

namespace {

// The mean of `count` values summing to `sum`, rounded half to even, exactly.
int64_t MeanHalfEven(int64_t sum, int64_t count) {
    int64_t q = sum / count, r = sum % count;
    if (r < 0) --q, r += count; // floor division
    if (2 * r > count || (2 * r == count && (q & 1))) ++q;
    return q;
}

template <typename T> T Value(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof(T));
    return v;
}

// Blocks from stored column x0 and row y0 on.
template <typename T> void BinValues(const TValuePlane& in, size_t x0, size_t y0, TRawImage& out, int32_t n) {
    const size_t w = size_t(in.Width), size = sizeof(T);
    for (int32_t by = 0; by < out.Height; ++by)
        for (int32_t bx = 0; bx < out.Width; ++bx) {
            // Integers sum exactly; reals in double.
            std::conditional_t<std::is_integral_v<T>, int64_t, double> sum = 0;
            for (int32_t y = by * n; y < (by + 1) * n; ++y)
                for (int32_t x = bx * n; x < (bx + 1) * n; ++x)
                    sum += Value<T>(in.Store.data() + ((y0 + size_t(y)) * w + x0 + size_t(x)) * size);
            T mean;
            if constexpr (std::is_integral_v<T>)
                mean = T(MeanHalfEven(sum, int64_t(n) * n));
            else
                mean = T(sum / (double(n) * n));
            std::memcpy(out.Store.data() + (size_t(by) * size_t(out.Width) + size_t(bx)) * size, &mean, size);
        }
}

void CheckBin(int32_t n) {
    if (n < 1 || n > kMaxBin) throw EOrvanelError("La réduction va de 1 à " + std::to_string(kMaxBin));
}

// Bytes per pixel of a picture.
size_t PictureBytes(const TBitmap& picture) {
    return picture.BitCount == 8 ? 1 : 3;
}

} // namespace

ERegionError RegionOutside(const TCropRect& rect, int32_t width, int32_t height) {
    return ERegionError("La zone " + CropText(rect) + " dépasse l'image (" + std::to_string(width) + " x " +
                        std::to_string(height) + ")");
}

bool RegionInside(const TCropRect& r, int32_t width, int32_t height) {
    return r.X >= 1 && r.Y >= 1 && r.Width >= 1 && r.Height >= 1 && int64_t(r.X) - 1 + r.Width <= width &&
           int64_t(r.Y) - 1 + r.Height <= height;
}

TRawImage CropRaw(const TRawImage& image, const TCropRect& rect) {
    return CropPlane({image.PixelType, image.Width, image.Height, image.Store}, rect);
}

TRawImage BinRaw(const TRawImage& image, int32_t n) {
    return BinPlane({image.PixelType, image.Width, image.Height, image.Store}, n);
}

TRawImage CropPlane(const TValuePlane& image, const TCropRect& rect) {
    if (!RegionInside(rect, image.Width, image.Height)) throw RegionOutside(rect, image.Width, image.Height);
    const size_t bpp = size_t(BytesPerPixel(image.PixelType));
    if (image.Store.size() < size_t(image.Width) * size_t(image.Height) * bpp)
        throw EOrvanelError("Image incomplète");
    TRawImage out{image.PixelType, rect.Width, rect.Height, {}};
    out.Store.resize(size_t(rect.Width) * size_t(rect.Height) * bpp);
    const size_t rowBytes = size_t(rect.Width) * bpp;
    // Stored row 0 is the bottom row, readout row 1.
    for (int32_t r = 0; r < rect.Height; ++r)
        std::memcpy(out.Store.data() + size_t(r) * rowBytes,
                    image.Store.data() +
                        ((size_t(rect.Y) - 1 + size_t(r)) * size_t(image.Width) + size_t(rect.X) - 1) * bpp,
                    rowBytes);
    return out;
}

namespace {

// The blocks of the width x height values from stored column x0 and row y0 on.
TRawImage BinFrom(const TValuePlane& image, size_t x0, size_t y0, int32_t width, int32_t height, int32_t n) {
    CheckBin(n);
    TRawImage out{image.PixelType, width / n, height / n, {}};
    out.Store.resize(size_t(out.Width) * size_t(out.Height) * size_t(BytesPerPixel(image.PixelType)));
    if (!VisitValueType(image.PixelType,
                        [&](auto zero) { BinValues<decltype(zero)>(image, x0, y0, out, n); }))
        throw EOrvanelError("Image sans valeurs");
    return out;
}

} // namespace

TRawImage BinPlane(const TValuePlane& image, int32_t n) {
    if (image.Store.size() <
        size_t(image.Width) * size_t(image.Height) * size_t(BytesPerPixel(image.PixelType)))
        throw EOrvanelError("Image incomplète");
    return BinFrom(image, 0, 0, image.Width, image.Height, n);
}

TRawImage BinPlane(const TValuePlane& image, const TCropRect& rect, int32_t n) {
    if (!RegionInside(rect, image.Width, image.Height)) throw RegionOutside(rect, image.Width, image.Height);
    if (image.Store.size() <
        size_t(image.Width) * size_t(image.Height) * size_t(BytesPerPixel(image.PixelType)))
        throw EOrvanelError("Image incomplète");
    return BinFrom(image, size_t(rect.X) - 1, size_t(rect.Y) - 1, rect.Width, rect.Height, n);
}

TBitmap CropBitmap(const TBitmap& picture, const TCropRect& rect) {
    if (!RegionInside(rect, picture.Width, picture.Height))
        throw RegionOutside(rect, picture.Width, picture.Height);
    TBitmap out;
    out.BitCount = picture.BitCount;
    out.Palette = picture.Palette;
    out.Width = rect.Width;
    out.Height = rect.Height;
    const size_t bpp = PictureBytes(picture), rowBytes = size_t(rect.Width) * bpp;
    out.Pixels.assign(rowBytes * size_t(rect.Height), 0);
    const size_t top = size_t(picture.Height) - (size_t(rect.Y) - 1) - size_t(rect.Height);
    for (size_t r = 0; r < size_t(rect.Height); ++r)
        std::memcpy(out.Pixels.data() + r * rowBytes,
                    picture.Pixels.data() + ((top + r) * size_t(picture.Width) + size_t(rect.X) - 1) * bpp,
                    rowBytes);
    return out;
}

TBitmap BinBitmap(const TBitmap& picture, int32_t n) {
    CheckBin(n);
    TBitmap out;
    out.Width = picture.Width / n;
    out.Height = picture.Height / n;
    out.BitCount = 24;
    out.Pixels.assign(size_t(out.Width) * size_t(out.Height) * 3, 0);
    // Blocks start at the bottom-left corner, as on raw values: the rows dropped are the top ones.
    const int32_t skip = picture.Height - out.Height * n;
    for (int32_t by = 0; by < out.Height; ++by)
        for (int32_t bx = 0; bx < out.Width; ++bx) {
            int64_t sum[3] = {0, 0, 0};
            for (int32_t y = skip + by * n; y < skip + (by + 1) * n; ++y)
                for (int32_t x = bx * n; x < (bx + 1) * n; ++x) {
                    const uint32_t c = picture.PixelColor(x, y);
                    sum[0] += c >> 16 & 0xFF; // blue
                    sum[1] += c >> 8 & 0xFF;
                    sum[2] += c & 0xFF;
                }
            uint8_t* p = out.Pixels.data() + (size_t(by) * size_t(out.Width) + size_t(bx)) * 3;
            for (int k = 0; k < 3; ++k)
                p[k] = uint8_t(MeanHalfEven(sum[k], int64_t(n) * n));
        }
    return out;
}

} // namespace orv
