// A synthetic 16-bit star field for the benchmarks: sky noise with small bright stars.
#pragma once

#include "core/image/image_document.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace orv::bench {

// side x side values, top row first; the same seed gives the same field.
inline std::vector<int16_t> StarField16(int side, unsigned seed, float skySigma, int stars = 3000) {
    std::vector<int16_t> v(size_t(side) * side);
    std::mt19937 rng(seed);
    std::normal_distribution<float> sky(1200, skySigma);
    for (auto& x : v)
        x = static_cast<int16_t>(sky(rng));
    for (int s = 0; s < stars; ++s) {
        const int cx = int(rng() % side), cy = int(rng() % side), peak = int(rng() % 30000);
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx) {
                const int x = cx + dx, y = cy + dy;
                if (x < 0 || y < 0 || x >= side || y >= side) continue;
                auto& p = v[size_t(y) * side + x];
                p = static_cast<int16_t>(std::min(32767, p + peak / (1 + dx * dx + dy * dy)));
            }
    }
    return v;
}

// A FITS document of side x side values of T, the C++ type of `pixelType`.
template <typename T> TImageDocument FieldDocument(uint8_t pixelType, int32_t side, const std::vector<T>& values) {
    TImageDocument doc;
    doc.Kind = kKindFits;
    doc.PixelType = pixelType;
    doc.ImageWidth = doc.ImageHeight = side;
    doc.PixelStore.resize(values.size() * sizeof(T));
    std::memcpy(doc.PixelStore.data(), values.data(), doc.PixelStore.size());
    return doc;
}

} // namespace orv::bench
