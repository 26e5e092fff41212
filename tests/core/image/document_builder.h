// Documents filled in code, for the display, statistics and readout tests.
#pragma once

#include "core/image/image_document.h"

#include <cstdint>
#include <vector>

namespace orv::image_test {

template <typename T>
TImageDocument MakeDocument(uint8_t kind, uint8_t pixelType, int32_t w, int32_t h,
                            const std::vector<T>& values) {
    TImageDocument doc;
    doc.Kind = kind;
    doc.PixelType = pixelType;
    doc.ImageWidth = w;
    doc.ImageHeight = h;
    const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
    doc.PixelStore.assign(bytes, bytes + values.size() * sizeof(T));
    return doc;
}

} // namespace orv::image_test
