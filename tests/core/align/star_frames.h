// Synthetic frames for the alignment tests: one field of Gaussian stars on a sky with a gentle
// gradient, seen through windows placed by whole pixels, each with noise of its own.
#pragma once

#include "core/align/plane.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace orv::align_test {

// splitmix64 and Box-Muller: the same numbers on every machine.
class TNumbers {
  public:
    explicit TNumbers(uint64_t seed) : state_(seed) {}
    double Uniform() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return double((z ^ (z >> 31)) >> 11) / double(1ULL << 53);
    }
    double Gauss() {
        const double u = 1.0 - Uniform(), v = Uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
    }

  private:
    uint64_t state_;
};

struct TSpot {
    double X, Y, Peak, Sigma;
};

// `count` stars over a width x height field, peaks from 30 to 3000 noise deviations.
inline std::vector<TSpot> Field(int width, int height, int count, uint64_t seed) {
    TNumbers n(seed);
    std::vector<TSpot> stars;
    for (int k = 0; k < count; ++k)
        stars.push_back({n.Uniform() * width, n.Uniform() * height, 300.0 * std::pow(10.0, 2 * n.Uniform()),
                         1.1 + 0.4 * n.Uniform()});
    return stars;
}

// The part of the field whose bottom-left pixel is field pixel (x0, y0): sky 1000 with a
// gradient, the spots, noise of deviation 10 from `seed`.
inline TPlane Window(const std::vector<TSpot>& spots, int x0, int y0, int width, int height, uint64_t seed) {
    TPlane p{width, height, std::vector<float>(size_t(width) * size_t(height))};
    TNumbers noise(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double fx = x + x0, fy = y + y0;
            double v = 1000 + 0.2 * fx + 0.1 * fy;
            for (const TSpot& s : spots) {
                const double dx = fx - s.X, dy = fy - s.Y;
                if (std::fabs(dx) < 8 * s.Sigma && std::fabs(dy) < 8 * s.Sigma)
                    v += s.Peak * std::exp(-(dx * dx + dy * dy) / (2 * s.Sigma * s.Sigma));
            }
            p.Values[size_t(y) * size_t(width) + size_t(x)] = float(v + 10 * noise.Gauss());
        }
    return p;
}

} // namespace orv::align_test
