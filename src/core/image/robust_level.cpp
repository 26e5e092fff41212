#include "core/image/robust_level.h"

#include "core/image/bin_counts.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace orv {

namespace {

// ---- 16-bit values: every figure from the counts of the 65536 possible values.

constexpr size_t kBins = kCountBins;

// The two middle ranks of n sorted values (the same rank when n is odd).
struct TMiddle {
    size_t Low, High;
};
TMiddle MiddleRanks(size_t n) {
    return {(n - 1) / 2, n / 2};
}

// Values met in ascending order with their counts, keeping those at the middle ranks.
class TMiddleWalk {
  public:
    explicit TMiddleWalk(size_t n) : mid_(MiddleRanks(n)) {}
    // False once both middle values are met.
    bool Step(double value, uint64_t count) {
        const uint64_t next = cum_ + count;
        if (cum_ <= mid_.Low && mid_.Low < next) low_ = value;
        cum_ = next;
        if (mid_.High < next) {
            high_ = value;
            return false;
        }
        return true;
    }
    double Middle() const { return (low_ + high_) / 2; }

  private:
    TMiddle mid_;
    uint64_t cum_ = 0;
    double low_ = 0, high_ = 0;
};

double MedianOfCounts(const uint64_t* counts, size_t n) {
    TMiddleWalk walk(n);
    for (size_t b = 0;
         b < kBins && walk.Step(static_cast<double>(static_cast<int64_t>(b) - 32768), counts[b]);)
        ++b;
    return walk.Middle();
}

// The median of |v - median| from the counts: the deviations grow away from the median on
// both sides, so the two sides are merged outwards like two sorted lists.
double MedianDeviationOfCounts(const uint64_t* counts, size_t n, double median) {
    int64_t left = static_cast<int64_t>(std::floor(median)) + 32768; // values <= median
    int64_t right = left + 1;                                        // values > median
    TMiddleWalk walk(n);
    while (true) {
        const double dl = left >= 0 ? median - static_cast<double>(left - 32768) : HUGE_VAL;
        const double dr = right < int64_t(kBins) ? static_cast<double>(right - 32768) - median : HUGE_VAL;
        const bool takeLeft = dl <= dr;
        if (!walk.Step(takeLeft ? dl : dr, counts[takeLeft ? left-- : right++])) return walk.Middle();
    }
}

TRobustLevel Level16(const TValuePlane& plane, size_t count) {
    const uint64_t* counts = CountInt16Values(plane.Store.data(), count);
    int64_t first = -1, last = -1;
    for (size_t b = 0; b < kBins; ++b) {
        if (counts[b] == 0) continue;
        if (first < 0) first = static_cast<int64_t>(b);
        last = static_cast<int64_t>(b);
    }
    TRobustLevel r;
    r.Count = count;
    r.Minimum = static_cast<double>(first - 32768);
    r.Maximum = static_cast<double>(last - 32768);
    r.Median = MedianOfCounts(counts, count);
    r.Spread = kMadToSigma * MedianDeviationOfCounts(counts, count, r.Median);
    return r;
}

// ---- Other types: selection on keys whose unsigned order is the values' order.

template <typename T> struct TKeyOf;
template <> struct TKeyOf<int32_t> {
    using Key = uint32_t;
    static Key Of(int32_t v) { return static_cast<uint32_t>(v) ^ 0x80000000u; }
    static double Value(Key k) { return static_cast<int32_t>(k ^ 0x80000000u); }
};
template <typename F, typename K> struct TRealKey {
    using Key = K;
    static constexpr K kSign = K(1) << (sizeof(K) * 8 - 1);
    static Key Of(F v) {
        const K b = std::bit_cast<K>(v);
        return (b & kSign) ? ~b : (b | kSign);
    }
    static double Value(Key k) { return std::bit_cast<F>((k & kSign) ? (k & ~kSign) : ~k); }
};
template <> struct TKeyOf<float> : TRealKey<float, uint32_t> {};
template <> struct TKeyOf<double> : TRealKey<double, uint64_t> {};

// The counts of the top 16 bits of the keys that visit(sink) hands to sink, into
// BinCounts().Counts, with their least and greatest; returns how many keys there were.
template <typename Key, typename Visit> size_t CountTopBits(const Visit& visit, Key& least, Key& greatest) {
    constexpr int kShift = sizeof(Key) * 8 - 16;
    TBinCounts& w = BinCounts();
    w.Clear();
    size_t n = 0;
    least = std::numeric_limits<Key>::max();
    greatest = 0;
    visit([&](Key k) {
        w.Add(static_cast<size_t>(k >> kShift));
        ++n;
        least = std::min(least, k);
        greatest = std::max(greatest, k);
    });
    w.Sum();
    return n;
}

// The two middle keys of the n keys that visit(sink) hands to sink, after CountTopBits: the
// keys of the one or two bins that hold the middle ranks are gathered in a second pass and the
// ranks selected among them.
template <typename Key, typename Visit> std::pair<Key, Key> MiddleKeys(const Visit& visit, size_t n) {
    constexpr int kShift = sizeof(Key) * 8 - 16;
    const uint64_t* top = BinCounts().Counts;
    const TMiddle mid = MiddleRanks(n);
    size_t binLow = 0, binHigh = 0, below = 0;
    for (size_t b = 0, cum = 0; b < kBins; cum += top[b++]) {
        if (cum <= mid.Low && mid.Low < cum + top[b]) binLow = b, below = cum;
        if (cum <= mid.High && mid.High < cum + top[b]) {
            binHigh = b;
            break;
        }
    }
    std::vector<Key> near;
    near.reserve(static_cast<size_t>(top[binLow] + (binHigh != binLow ? top[binHigh] : 0)));
    visit([&](Key k) {
        const auto bin = static_cast<size_t>(k >> kShift);
        if (bin == binLow || bin == binHigh) near.push_back(k);
    });
    // The gathered keys are those ranked from `below` on: the high middle is at mid.High - below.
    const auto at = near.begin() + static_cast<std::ptrdiff_t>(mid.High - below);
    std::nth_element(near.begin(), at, near.end());
    const Key high = *at;
    const Key low = mid.Low == mid.High ? high : *std::max_element(near.begin(), at);
    return {low, high};
}

template <typename T> TRobustLevel LevelOf(const TValuePlane& plane, size_t count) {
    using K = TKeyOf<T>;
    using Key = typename K::Key;
    const auto keys = [&](auto&& sink) {
        for (size_t k = 0; k < count; ++k) {
            const T v = PlaneValue<T>(plane, k);
            if (std::isfinite(static_cast<double>(v))) sink(K::Of(v));
        }
    };
    TRobustLevel r;
    Key least, greatest;
    r.Count = CountTopBits(keys, least, greatest);
    if (r.Count == 0) return r;
    r.Minimum = K::Value(least);
    r.Maximum = K::Value(greatest);
    const auto [lowKey, highKey] = MiddleKeys<Key>(keys, r.Count);
    r.Median = (K::Value(lowKey) + K::Value(highKey)) / 2;
    // |v - m| >= 0: the bits of a non-negative double are in the order of its value.
    const double m = r.Median;
    const auto deviations = [&](auto&& sink) {
        for (size_t k = 0; k < count; ++k) {
            const double v = PlaneValue<T>(plane, k);
            if (std::isfinite(v)) sink(std::bit_cast<uint64_t>(std::fabs(v - m)));
        }
    };
    uint64_t unused[2];
    CountTopBits(deviations, unused[0], unused[1]);
    const auto [lowDeviation, highDeviation] = MiddleKeys<uint64_t>(deviations, r.Count);
    r.Spread = kMadToSigma * (std::bit_cast<double>(lowDeviation) + std::bit_cast<double>(highDeviation)) / 2;
    return r;
}

} // namespace

TRobustLevel RobustLevel(const TValuePlane& plane) {
    const size_t count = plane.Count();
    if (count == 0) return {};
    switch (plane.PixelType) {
    case kPixelInt16:
        return Level16(plane, count);
    case kPixelInt32:
        return LevelOf<int32_t>(plane, count);
    case kPixelReal32:
        return LevelOf<float>(plane, count);
    case kPixelReal64:
        return LevelOf<double>(plane, count);
    default:
        return {};
    }
}

} // namespace orv
