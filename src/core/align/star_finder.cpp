#include "core/align/star_finder.h"

#include "core/image/image_document.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

namespace orv {

namespace {

constexpr int32_t kRadius = 3;          // the centroid window is 7 x 7 pixels
constexpr double kDetectSigmas = 5;     // a peak stands this many noise deviations above the sky
constexpr double kNeighbourShare = 0.1; // of the peak's height, for a neighbour to count as lit
constexpr double kNeighbourSigmas = 1.5;
constexpr size_t kSamples = size_t(1) << 12; // values read to measure the background
constexpr size_t kCandidatesPerStar = 3;     // peaks measured for each star kept

// Values of one type read in place (little-endian, as the machine), so that no copy of a whole
// frame is made: for a large frame the copy would cost more than the search.
template <typename T> struct TGrid {
    const uint8_t* Data;
    int32_t Width;
    int32_t Height;

    const uint8_t* Row(int32_t y) const { return Data + size_t(y) * size_t(Width) * sizeof(T); }
    static float In(const uint8_t* row, int32_t x) {
        T v;
        std::memcpy(&v, row + size_t(x) * sizeof(T), sizeof(T));
        return static_cast<float>(v);
    }
    float At(int32_t x, int32_t y) const { return In(Row(y), x); }

    // Whether any of the kBlock values from x is above `limit`: compared in the values' own type,
    // two 16-byte vectors at a time, so that the sky, which is most of a frame, costs little.
    static constexpr int32_t kBlock = int32_t(32 / sizeof(T));
    using TLimit = T;
    static TLimit Limit(float threshold) {
        if constexpr (std::is_integral_v<T>) {
            // v > threshold exactly when v > floor(threshold), for whole v.
            const double floor = std::floor(double(threshold));
            if (!(floor < double(std::numeric_limits<T>::max()))) return std::numeric_limits<T>::max();
            return T(std::max(floor, double(std::numeric_limits<T>::lowest())));
        } else {
            return T(threshold);
        }
    }
    static bool AnyAbove(const uint8_t* row, int32_t x, TLimit limit) {
        const uint8_t* p = row + size_t(x) * sizeof(T);
#if defined(__GNUC__) // GCC and Clang: vector comparisons on any machine
        typedef T TVector __attribute__((vector_size(16)));
        TVector a, b;
        std::memcpy(&a, p, 16);
        std::memcpy(&b, p + 16, 16);
        const auto above = (a > limit) | (b > limit); // all bits set where true
        uint64_t words[2];
        std::memcpy(words, &above, 16);
        return (words[0] | words[1]) != 0;
#else
        T v[kBlock];
        std::memcpy(v, p, sizeof v);
        bool any = false;
        for (T value : v)
            any = any || value > limit;
        return any;
#endif
    }
};

// The sky level of each tile (the median of a sample of its values) and the noise around it
// (1.4826 times the median absolute deviation, which stars hardly move).
struct TBackground {
    int32_t Shift = 6; // tiles of 2^Shift pixels
    int32_t TilesX = 0;
    std::vector<float> Level;
    float Sigma = 0;

    float At(int32_t x, int32_t y) const {
        return Level[size_t(y >> Shift) * size_t(TilesX) + size_t(x >> Shift)];
    }
};

float Median(std::vector<float>& values) {
    if (values.empty()) return NAN;
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

template <typename T> TBackground MeasureBackground(const TGrid<T>& plane) {
    TBackground bg;
    const double pixels = double(plane.Width) * double(plane.Height);
    const auto step = std::max<int32_t>(1, int32_t(std::ceil(std::sqrt(pixels / double(kSamples)))));
    while ((1 << bg.Shift) < 8 * step) // at least 64 samples a tile
        ++bg.Shift;
    const int32_t tile = 1 << bg.Shift;
    bg.TilesX = (plane.Width + tile - 1) / tile;
    const int32_t tilesY = (plane.Height + tile - 1) / tile;
    bg.Level.resize(size_t(bg.TilesX) * size_t(tilesY));
    std::vector<float> samples, deviations;
    for (int32_t ty = 0; ty < tilesY; ++ty)
        for (int32_t tx = 0; tx < bg.TilesX; ++tx) {
            samples.clear();
            for (int32_t y = ty * tile + step / 2; y < std::min(plane.Height, (ty + 1) * tile); y += step)
                for (int32_t x = tx * tile + step / 2; x < std::min(plane.Width, (tx + 1) * tile);
                     x += step) {
                    const float v = plane.At(x, y);
                    if (std::isfinite(v)) samples.push_back(v);
                }
            const float level = Median(samples); // reorders them, which the deviations do not mind
            bg.Level[size_t(ty) * size_t(bg.TilesX) + size_t(tx)] = level;
            for (float v : samples)
                deviations.push_back(std::fabs(v - level));
        }
    bg.Sigma = 1.4826f * Median(deviations);
    if (!std::isfinite(bg.Sigma)) bg.Sigma = 0;
    return bg;
}

// The light-weighted centre of the window around (x, y), moved onto the pixel it points to
// until it stays there, so that the window sits on the star however its peak pixel fell.
template <typename T> TStar Centroid(const TGrid<T>& plane, const TBackground& bg, int32_t x, int32_t y) {
    TStar star{double(x), double(y), 0};
    const float level = bg.At(x, y);
    for (int pass = 0; pass < 3; ++pass) {
        double sum = 0, sx = 0, sy = 0;
        for (int32_t dy = -kRadius; dy <= kRadius; ++dy)
            for (int32_t dx = -kRadius; dx <= kRadius; ++dx) {
                const double w = double(plane.At(x + dx, y + dy)) - level;
                if (w > 0) { // NaN is not
                    sum += w;
                    sx += w * dx;
                    sy += w * dy;
                }
            }
        if (sum <= 0) return star;
        star = {x + sx / sum, y + sy / sum, sum};
        const auto nx = int32_t(std::lround(star.X)), ny = int32_t(std::lround(star.Y));
        if ((nx == x && ny == y) || nx < kRadius || ny < kRadius || nx >= plane.Width - kRadius ||
            ny >= plane.Height - kRadius)
            break;
        x = nx;
        y = ny;
    }
    return star;
}

struct TPeak {
    int32_t X, Y;
    float Height;
};

// Local maxima above the detection level with at least two lit neighbours of the four. On a
// flat top only the first pixel in storage order counts.
template <typename T> std::vector<TPeak> FindPeaks(const TGrid<T>& plane, const TBackground& bg) {
    std::vector<TPeak> peaks;
    std::vector<float> detect(bg.Level.size());
    for (size_t k = 0; k < detect.size(); ++k)
        detect[k] = bg.Level[k] + float(kDetectSigmas) * bg.Sigma;
    const auto in = TGrid<T>::In;
    for (int32_t y = kRadius; y < plane.Height - kRadius; ++y) {
        const uint8_t* row = plane.Row(y);
        const uint8_t* below = plane.Row(y - 1);
        const uint8_t* above = plane.Row(y + 1);
        const float* rowDetect = detect.data() + size_t(y >> bg.Shift) * size_t(bg.TilesX);
        const int32_t end = plane.Width - kRadius;
        int32_t tileEnd = 0; // where the tile of `threshold` and `limit` ends
        float threshold = 0;
        typename TGrid<T>::TLimit limit{};
        for (int32_t x = kRadius; x < end; ++x) {
            if (x >= tileEnd) {
                threshold = rowDetect[x >> bg.Shift];
                limit = TGrid<T>::Limit(threshold);
                tileEnd = std::min(end, ((x >> bg.Shift) + 1) << bg.Shift);
            }
            // Whole blocks of sky are passed over at once: blocks start at multiples of their
            // size, which tiles are, so that a block never straddles two tiles.
            if (x % TGrid<T>::kBlock == 0 && x + TGrid<T>::kBlock <= tileEnd &&
                !TGrid<T>::AnyAbove(row, x, limit)) {
                x += TGrid<T>::kBlock - 1;
                continue;
            }
            const float v = in(row, x);
            if (!(v > threshold)) continue;
            const float left = in(row, x - 1), right = in(row, x + 1), down = in(below, x), up = in(above, x);
            if (!(v > left && v >= right && v > in(below, x - 1) && v > down && v > in(below, x + 1) &&
                  v >= in(above, x - 1) && v >= up && v >= in(above, x + 1)))
                continue;
            const float level = bg.At(x, y);
            const float lit =
                std::max(float(kNeighbourShare) * (v - level), float(kNeighbourSigmas) * bg.Sigma);
            const int count =
                (left - level > lit) + (right - level > lit) + (down - level > lit) + (up - level > lit);
            if (count >= 2) peaks.push_back({x, y, v - level});
        }
    }
    return peaks;
}

template <typename T> std::vector<TStar> FindStarsIn(const TGrid<T>& plane, size_t most) {
    if (plane.Width <= 2 * kRadius || plane.Height <= 2 * kRadius || most == 0) return {};
    const TBackground bg = MeasureBackground(plane);
    std::vector<TPeak> peaks = FindPeaks(plane, bg);
    const auto higher = [](const TPeak& a, const TPeak& b) {
        return a.Height != b.Height ? a.Height > b.Height : (a.Y != b.Y ? a.Y < b.Y : a.X < b.X);
    };
    const size_t measured = std::min(peaks.size(), most * kCandidatesPerStar);
    std::partial_sort(peaks.begin(), peaks.begin() + std::ptrdiff_t(measured), peaks.end(), higher);
    std::vector<TStar> candidates;
    candidates.reserve(measured);
    for (size_t k = 0; k < measured; ++k)
        candidates.push_back(Centroid(plane, bg, peaks[k].X, peaks[k].Y));
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const TStar& a, const TStar& b) { return a.Flux > b.Flux; });
    // Two peaks of one star (a saturated or doubled one) give one star, the brighter.
    std::vector<TStar> stars;
    constexpr double kApart = 2.0 * kRadius;
    for (const TStar& s : candidates) {
        if (stars.size() == most) break;
        const bool near = std::any_of(stars.begin(), stars.end(), [&](const TStar& t) {
            return std::fabs(t.X - s.X) < kApart && std::fabs(t.Y - s.Y) < kApart;
        });
        if (!near) stars.push_back(s);
    }
    return stars;
}

} // namespace

std::vector<TStar> FindStars(const TPlane& plane, size_t most) {
    if (plane.Values.size() < size_t(std::max(plane.Width, 0)) * size_t(std::max(plane.Height, 0))) return {};
    const auto* data = reinterpret_cast<const uint8_t*>(plane.Values.data());
    return FindStarsIn(TGrid<float>{data, plane.Width, plane.Height}, most);
}

std::vector<TStar> FindStars(uint8_t pixelType, int32_t width, int32_t height, std::span<const uint8_t> store,
                             size_t most) {
    const size_t bytes = size_t(BytesPerPixel(pixelType));
    if (width <= 0 || height <= 0 || store.size() < size_t(width) * size_t(height) * bytes) return {};
    std::vector<TStar> stars;
    VisitValueType(pixelType, [&](auto zero) {
        stars = FindStarsIn(TGrid<decltype(zero)>{store.data(), width, height}, most);
    });
    return stars;
}

} // namespace orv
