// One channel's raw values as the automatic display and the series figures read them: a grey
// image is one plane, a colour image one plane per channel. A view: the store is not owned.
#pragma once

#include "core/image/image_document.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace orv {

struct TValuePlane {
    uint8_t PixelType = kPixelNone;
    int32_t Width = 0;
    int32_t Height = 0;
    // Width x Height little-endian values, rows in file order; a short store holds fewer.
    std::span<const uint8_t> Store;

    // The values the store holds, at most Width x Height.
    size_t Count() const {
        const int bytes = BytesPerPixel(PixelType);
        if (bytes == 0 || Width <= 0 || Height <= 0) return 0;
        return std::min(size_t(Width) * size_t(Height), Store.size() / size_t(bytes));
    }
};

inline TValuePlane PlaneOf(const TImageDocument& doc) {
    return {doc.PixelType, doc.ImageWidth, doc.ImageHeight, doc.PixelStore};
}

// How a raw value reads in the readout's units: raw x Scale + Zero (a FITS file's BSCALE and
// BZERO; other kinds read as stored).
struct TValueScale {
    double Scale = 1;
    double Zero = 0;
    bool operator==(const TValueScale&) const = default;
};

inline TValueScale ValueScaleOf(const TImageDocument& doc) {
    if (doc.Kind != kKindFits) return {};
    return {doc.Header.BScale, doc.Header.BZero};
}

// The value at k < Count() as the C++ type T of the plane's pixel type.
template <typename T> T PlaneValue(const TValuePlane& plane, size_t k) {
    T v;
    std::memcpy(&v, plane.Store.data() + k * sizeof(T), sizeof(T));
    return v;
}

} // namespace orv
