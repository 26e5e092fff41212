#include "core/image/readout.h"

#include "core/image/sky_coordinates.h"
#include "core/text/number_text.h"

#include <cstring>

namespace orv {

namespace {

template <typename T> long double ValueAt(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof(T));
    return static_cast<long double>(v);
}

TReadout ReadoutText(const TImageDocument& doc, int32_t x, int32_t y, const std::string& intensity,
                     bool sky) {
    TReadout r;
    r.X = "X : " + std::to_string(int64_t{x} + 1);
    r.Y = "Y : " + std::to_string(int64_t{doc.ImageHeight} - y);
    r.Intensity = "Intensité : " + intensity;
    if (doc.Sky && sky) {
        // FITS pixel coordinates: 1 at the centre of the bottom-left pixel.
        if (const auto at = doc.Sky->At(double(x) + 1.0, double(doc.ImageHeight - y))) {
            r.RightAscension = RightAscensionText(at->first);
            r.Declination = DeclinationText(at->second);
        }
    }
    return r;
}

} // namespace

std::optional<TReadout> PixelReadout(const TImageDocument& doc, int32_t x, int32_t y) {
    if (doc.Kind != kKindPic && doc.Kind != kKindFits) return std::nullopt;
    if (x < 0 || y < 0 || x >= doc.ImageWidth || y >= doc.ImageHeight) return std::nullopt;
    const int bytes = BytesPerPixel(doc.PixelType);
    if (bytes == 0) return std::nullopt;
    // The first stored row is the bottom row on screen.
    const uint64_t index = uint64_t(doc.ImageHeight - 1 - y) * uint64_t(doc.ImageWidth) + uint64_t(x);
    const uint64_t at = index * uint64_t(bytes);
    if (at + uint64_t(bytes) > doc.PixelStore.size()) return std::nullopt;
    const uint8_t* p = doc.PixelStore.data() + at;
    long double value = 0;
    switch (doc.PixelType) {
    case kPixelInt16:
        value = ValueAt<int16_t>(p);
        break;
    case kPixelInt32:
        value = ValueAt<int32_t>(p);
        break;
    case kPixelReal32:
        value = ValueAt<float>(p);
        break;
    case kPixelReal64:
        value = ValueAt<double>(p);
        break;
    default:
        break;
    }
    if (doc.Kind == kKindFits)
        value =
            value * static_cast<long double>(doc.Header.BScale) + static_cast<long double>(doc.Header.BZero);
    return ReadoutText(doc, x, y, FormatReadout(static_cast<double>(value)), true);
}

std::optional<TReadout> ColourReadout(const TImageDocument& doc, TDebayer method, int32_t x, int32_t y) {
    if (doc.Kind != kKindFits || !doc.Colour.IsColour()) return std::nullopt;
    if (doc.Colour.Planes != 3 && method == TDebayer::None) return std::nullopt;
    const TSize size = ColourPictureSize(doc, method);
    if (x < 0 || y < 0 || x >= size.Width || y >= size.Height) return std::nullopt;
    const std::array<double, 3> v = ColourPixel(doc, method, x, size.Height - 1 - y);
    std::string text;
    for (const double c : v)
        text += (text.empty() ? "" : " / ") +
                FormatReadout(static_cast<double>(static_cast<long double>(c) * doc.Header.BScale +
                                                  static_cast<long double>(doc.Header.BZero)));
    const bool whole = size.Width == doc.ImageWidth && size.Height == doc.ImageHeight;
    TReadout r = ReadoutText(doc, x, y, text, whole);
    r.Y = "Y : " + std::to_string(int64_t{size.Height} - y);
    return r;
}

} // namespace orv
