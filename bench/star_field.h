// A synthetic 16-bit star field for the benchmarks: sky noise with small bright stars.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace orv::bench {

// side x side values, top row first; the same seed gives the same field.
inline std::vector<int16_t> StarField16(int side, unsigned seed, float skySigma) {
    std::vector<int16_t> v(size_t(side) * side);
    std::mt19937 rng(seed);
    std::normal_distribution<float> sky(1200, skySigma);
    for (auto& x : v)
        x = static_cast<int16_t>(sky(rng));
    for (int s = 0; s < 3000; ++s) {
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

} // namespace orv::bench
