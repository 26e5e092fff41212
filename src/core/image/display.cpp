#include "core/image/display.h"

#include "core/base/bitmap.h"
#include "core/image/level_kernel.h"
#include "core/text/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orv {

namespace {

void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Header and colour table; returns the stride.
int32_t WriteBitmapHead(TImageDocument& doc) {
    const int32_t stride = BitmapStride(doc.ImageWidth);
    const uint32_t dataSize = static_cast<uint32_t>(stride) * static_cast<uint32_t>(doc.ImageHeight);
    const size_t total = kPalettedBmpDataOffset + static_cast<size_t>(dataSize);
    if (doc.DisplayStream.size() != total) {
        doc.DisplayStream.assign(total, 0);
    } else {
        // A re-render overwrites every pixel the store covers: clear only the rest.
        const size_t w = static_cast<size_t>(doc.ImageWidth);
        const size_t bpp = static_cast<size_t>(BytesPerPixel(doc.PixelType));
        const size_t available = bpp ? doc.PixelStore.size() / bpp : 0;
        uint8_t* bits = doc.DisplayStream.data() + kPalettedBmpDataOffset;
        for (size_t r = 0; r < static_cast<size_t>(doc.ImageHeight); ++r) {
            const size_t first = r * w, covered = first >= available ? 0 : std::min(w, available - first);
            std::memset(bits + r * static_cast<size_t>(stride) + covered, 0,
                        static_cast<size_t>(stride) - covered);
        }
    }
    uint8_t* h = doc.DisplayStream.data();
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, dataSize + kPalettedBmpDataOffset);
    Put32(h + 10, kPalettedBmpDataOffset);
    Put32(h + 14, 40);
    Put32(h + 18, static_cast<uint32_t>(doc.ImageWidth));
    Put32(h + 22, static_cast<uint32_t>(doc.ImageHeight));
    Put16(h + 26, 1);
    Put16(h + 28, 8);
    Put32(h + 46, 256);
    for (int i = 0; i < 256; ++i) {
        std::memcpy(h + 54 + 4 * i, doc.Palette[i].data(), 3);
        h[54 + 4 * i + 3] = 0;
    }
    std::memcpy(doc.BitmapHeader.data(), h, 54);
    return stride;
}

template <typename T> T ReadValue(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof(T)); // PixelStore is little-endian, as is the machine
    return v;
}

// Levels of values of type T computed one by one.
template <typename T>
void LevelsComputed(const TImageDocument& display, size_t w, size_t h, std::span<const uint8_t> store,
                    uint8_t* out, std::ptrdiff_t stride) {
    const size_t available = store.size() / sizeof(T);
    const uint8_t* in = store.data();
    const TRealLevel level(display.LowThreshold, display.HighThreshold, display.Inverted,
                           display.DisplayFunction, display.MidtonesBalance);
    for (size_t r = 0; r < h; ++r) {
        uint8_t* row = out + static_cast<std::ptrdiff_t>(r) * stride;
        const size_t first = r * w;
        if (first >= available) return; // a short store leaves the rest as it was
        const size_t n = std::min(w, available - first);
        const uint8_t* values = in + first * sizeof(T);
        for (size_t x = 0; x < n; ++x)
            row[x] = level(static_cast<double>(ReadValue<T>(values + x * sizeof(T))));
        if (n < w) return;
    }
}

void LevelsInt16(TImageDocument& display, size_t w, size_t h, std::span<const uint8_t> store, uint8_t* out,
                 std::ptrdiff_t stride) {
    BuildLookupTable(display);
    // One full table with the clipping folded in: one look-up per pixel.
    uint8_t level[65536];
    const double low = display.LowThreshold, high = display.HighThreshold;
    for (int i = -32768; i <= 32767; ++i) {
        const double v = i;
        uint8_t l;
        if (!display.Inverted)
            l = v <= low ? 0 : v >= high ? 255 : display.LookupTable[static_cast<size_t>(i + 32768)];
        else
            l = v <= high ? 255 : v >= low ? 0 : display.LookupTable[static_cast<size_t>(i + 32768)];
        level[static_cast<uint16_t>(static_cast<int16_t>(i))] = l;
    }
    const TInt16LevelMapper mapper(level, low, high, display.DisplayFunction == TDisplayFunction::Linear);
    const size_t available = store.size() / 2;
    for (size_t r = 0; r < h; ++r) {
        const size_t first = r * w;
        if (first >= available) break;
        const size_t n = std::min(w, available - first);
        mapper.Map(store.data() + first * 2, n, out + static_cast<std::ptrdiff_t>(r) * stride);
    }
}

bool HasRawValues(uint8_t pixelType) {
    return pixelType == kPixelInt16 || pixelType == kPixelInt32 || pixelType == kPixelReal32 ||
           pixelType == kPixelReal64;
}

} // namespace

void InitGreyPalette(TImageDocument& doc) {
    for (int i = 0; i < 256; ++i) {
        const auto g = static_cast<uint8_t>(i);
        doc.Palette[i] = {g, g, g};
    }
}

void BuildLookupTable(TImageDocument& doc) {
    doc.Inverted = false;
    const double low = doc.LowThreshold, high = doc.HighThreshold;
    auto fill = [&](double from, double to) {
        const int64_t a = std::max<int64_t>(Round(from), -32768);
        const int64_t b = std::min<int64_t>(Round(to), 32767);
        for (int64_t i = a; i <= b; ++i)
            doc.LookupTable[static_cast<size_t>(i + 32768)] = FunctionLevel(
                doc.DisplayFunction, static_cast<long double>(i), low, high, doc.MidtonesBalance);
    };
    if (high > low) {
        fill(low, high);
    } else if (high < low) {
        fill(high, low);
        doc.Inverted = true;
    } else if (!std::isnan(low)) {
        const int64_t i = Round(low);
        if (i >= -32768 && i <= 32767) doc.LookupTable[static_cast<size_t>(i + 32768)] = 0;
    }
}

uint8_t DisplayLevel(double v, double low, double high, bool inverted, TDisplayFunction function,
                     double midtones) {
    if (!inverted) {
        if (!(v > low)) return 0;
        if (v >= high) return 255;
    } else {
        if (!(v > high)) return 255;
        if (v >= low) return 0;
    }
    return FunctionLevel(function, v, low, high, midtones);
}

int32_t BitmapStride(int32_t width) {
    return (width + 3) / 4 * 4;
}

void RenderLevels(TImageDocument& display, uint8_t pixelType, int32_t width, int32_t height,
                  std::span<const uint8_t> store, uint8_t* firstRow, std::ptrdiff_t stride) {
    const size_t w = static_cast<size_t>(std::max(width, 0));
    const size_t h = static_cast<size_t>(std::max(height, 0));
    switch (pixelType) {
    case kPixelInt16:
        LevelsInt16(display, w, h, store, firstRow, stride);
        break;
    case kPixelInt32:
        BuildLookupTable(display);
        LevelsComputed<int32_t>(display, w, h, store, firstRow, stride);
        break;
    case kPixelReal32:
        display.Inverted = !(display.HighThreshold >= display.LowThreshold);
        LevelsComputed<float>(display, w, h, store, firstRow, stride);
        break;
    case kPixelReal64:
        display.Inverted = !(display.HighThreshold >= display.LowThreshold);
        LevelsComputed<double>(display, w, h, store, firstRow, stride);
        break;
    default:
        break;
    }
}

void Render(TImageDocument& doc) {
    if (!HasRawValues(doc.PixelType)) return;
    const int32_t stride = WriteBitmapHead(doc);
    RenderLevels(doc, doc.PixelType, doc.ImageWidth, doc.ImageHeight, doc.PixelStore,
                 doc.DisplayStream.data() + kPalettedBmpDataOffset, stride);
}

std::optional<TSize> FitWindow(TSize image, TSize mainClient, int32_t speedPanelHeight,
                               int32_t statusBarHeight, const TSystemMetrics& m) {
    const int32_t w = image.Width, h = image.Height;
    const int32_t a = mainClient.Width - (2 * m.BorderWidth + 6);
    const int32_t b =
        mainClient.Height - (speedPanelHeight + statusBarHeight + 2 * m.BorderHeight + m.CaptionHeight + 6);
    if (a < w && b < h) return TSize{a, b};
    if (w < a && b < h) return TSize{w + m.VScrollWidth, b};
    if (a < w && h < b) return TSize{a, h + m.HScrollHeight};
    if (w < a && h < b) return TSize{w, h};
    return std::nullopt;
}

} // namespace orv
