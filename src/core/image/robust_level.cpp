#include "core/image/robust_level.h"

#include "core/image/bin_counts.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
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

// The least key above `key` of those that visit(sink) hands to sink; `key` when there is none.
template <typename Key, typename Visit> Key LeastAbove(const Visit& visit, Key key) {
    Key least = std::numeric_limits<Key>::max();
    bool found = false;
    visit([&](Key k) {
        if (k > key && k <= least) least = k, found = true;
    });
    return found ? least : key;
}

// The two middle keys of the n keys that visit(sink) hands to sink, after CountTopBits. The bin
// of the low middle rank is narrowed 16 bits at a time by counting the next bits of its keys
// only: a star field piles most values into a few top bins, too many to gather and select.
// Once the bin holds few keys they are gathered and the ranks selected among them. The high
// middle rank is the low one's key again or the least key above it.
template <typename Key, typename Visit> std::pair<Key, Key> MiddleKeys(const Visit& visit, size_t n) {
    const TMiddle mid = MiddleRanks(n);
    const size_t gatherLimit = std::max<size_t>(4096, n / 32);
    const uint64_t* counts = BinCounts().Counts;
    int shift = sizeof(Key) * 8 - 16; // below the bits counted last
    Key prefix = 0;                   // the bits of the low middle key known so far
    size_t below = 0;                 // keys less than every key under that prefix
    while (true) {
        size_t b = 0;
        while (below + counts[b] <= mid.Low)
            below += counts[b++];
        prefix |= static_cast<Key>(b) << shift;
        const size_t inBin = static_cast<size_t>(counts[b]);
        if (shift == 0) {
            if (mid.High < below + inBin) return {prefix, prefix};
            for (size_t c = b + 1; c < kBins; ++c)
                if (counts[c] != 0) return {prefix, static_cast<Key>(prefix - b + c)};
            return {prefix, LeastAbove(visit, prefix)};
        }
        const Key top = prefix >> shift;
        if (inBin <= gatherLimit) {
            std::vector<Key> near;
            near.reserve(inBin);
            visit([&](Key k) {
                if (k >> shift == top) near.push_back(k);
            });
            const auto at = near.begin() + static_cast<std::ptrdiff_t>(mid.Low - below);
            std::nth_element(near.begin(), at, near.end());
            const Key low = *at;
            if (mid.High == mid.Low) return {low, low};
            if (at + 1 != near.end()) return {low, *std::min_element(at + 1, near.end())};
            return {low, LeastAbove(visit, low)};
        }
        shift -= 16;
        TBinCounts& w = BinCounts();
        w.Clear();
        visit([&](Key k) {
            if (k >> (shift + 16) == top) w.Add(static_cast<size_t>(k >> shift) & (kBins - 1));
        });
        counts = w.Sum();
    }
}

// One pass over the keys against a bracket [From, To]: how many, the least and greatest (only
// when kExtremes: they cost much of the pass), how many below, and those within. Keys come in
// blocks, counted in locals without branches on the key: on a noisy sky such branches are
// mispredicted half of the time.
constexpr uint16_t kTallyBlock = 1024;
template <typename Key, bool kExtremes> struct TBracketTally {
    Key From, To;
    size_t All = 0, Below = 0;
    Key Least = std::numeric_limits<Key>::max(), Greatest = 0;
    std::vector<Key> Near;

    void Add(const Key* keys, size_t m) {
        size_t gathered = Near.size(), below = Below;
        if (Near.capacity() < gathered + m) Near.reserve(2 * (gathered + m));
        Near.resize(gathered + m); // within the capacity: only the new slots are written
        Key* out = Near.data();
        Key least = Least, greatest = Greatest;
        const Key from = From, to = To;
        for (size_t i = 0; i < m; ++i) {
            const Key k = keys[i];
            if constexpr (kExtremes) {
                least = std::min(least, k);
                greatest = std::max(greatest, k);
            }
            below += k < from;
            out[gathered] = k;
            gathered += (k >= from) & (k <= to);
        }
        Near.resize(gathered);
        All += m, Below = below, Least = least, Greatest = greatest;
    }
};

// The two middle keys of the keys that visit(sink, step) hands to sink (every step-th of the
// `count` values), when a sample brackets them: one pass counts the keys (n), with the least and
// greatest, counts those below the bracket and gathers those within it, and the middle ranks are
// selected among the gathered. Nullopt when the sample is too small or misses a middle rank.
template <bool kExtremes, typename Key, typename Visit>
std::optional<std::pair<Key, Key>> MiddleKeysSampled(const Visit& visit, size_t count, size_t& n, Key& least,
                                                     Key& greatest) {
    constexpr size_t kSample = 65536;
    if (count < 8 * kSample) return std::nullopt;
    std::vector<Key> sample;
    sample.reserve(count / (count / kSample) + 1);
    visit([&](Key k) { sample.push_back(k); }, count / kSample);
    const size_t s = sample.size();
    if (s < kSample / 2) return std::nullopt;
    // The middle of a sample of s strays by about sqrt(s) / 2 ranks: the bracket spans 4 times that.
    const size_t margin = 2 * static_cast<size_t>(std::sqrt(static_cast<double>(s)));
    const auto ranked = [&](size_t r) {
        std::nth_element(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(r), sample.end());
        return sample[r];
    };
    const Key from = ranked(s / 2 - margin), to = ranked(s / 2 + margin);
    TBracketTally<Key, kExtremes> tally;
    tally.From = from, tally.To = to;
    tally.Near.reserve(count / kSample * 4 * margin);
    Key block[kTallyBlock];
    uint16_t filled = 0; // not a Key nor a size_t: stores of keys cannot overwrite it
    visit(
        [&](Key k) {
            block[filled++] = k;
            if (filled == kTallyBlock) tally.Add(block, filled), filled = 0;
        },
        1);
    tally.Add(block, filled);
    n = tally.All, least = tally.Least, greatest = tally.Greatest;
    const size_t below = tally.Below;
    std::vector<Key>& near = tally.Near;
    const TMiddle mid = MiddleRanks(n);
    if (mid.Low < below || mid.High >= below + near.size()) return std::nullopt;
    const auto at = near.begin() + static_cast<std::ptrdiff_t>(mid.Low - below);
    std::nth_element(near.begin(), at, near.end());
    return std::pair{*at, mid.High == mid.Low ? *at : *std::min_element(at + 1, near.end())};
}

// The middle keys, from a sample when it brackets them, else from the counts of their bits;
// without kExtremes, least and greatest mean nothing when the sample brackets them.
template <bool kExtremes, typename Key, typename Visit>
std::pair<Key, Key> MiddleKeysOf(const Visit& visit, size_t count, size_t& n, Key& least, Key& greatest) {
    if (const auto middle = MiddleKeysSampled<kExtremes>(visit, count, n, least, greatest)) return *middle;
    n = CountTopBits(visit, least, greatest);
    if (n == 0) return {};
    return MiddleKeys<Key>(visit, n);
}

template <typename T> TRobustLevel LevelOf(const TValuePlane& plane, size_t count) {
    using K = TKeyOf<T>;
    using Key = typename K::Key;
    const auto keys = [&](auto&& sink, size_t step = 1) {
        for (size_t k = 0; k < count; k += step) {
            const T v = PlaneValue<T>(plane, k);
            if (std::isfinite(static_cast<double>(v))) sink(K::Of(v));
        }
    };
    TRobustLevel r;
    Key least, greatest;
    const auto [lowKey, highKey] = MiddleKeysOf<true>(keys, count, r.Count, least, greatest);
    if (r.Count == 0) return r;
    r.Minimum = K::Value(least);
    r.Maximum = K::Value(greatest);
    r.Median = (K::Value(lowKey) + K::Value(highKey)) / 2;
    // |v - m| >= 0: the bits of a non-negative double are in the order of its value.
    const double m = r.Median;
    const auto deviations = [&](auto&& sink, size_t step = 1) {
        for (size_t k = 0; k < count; k += step) {
            const double v = PlaneValue<T>(plane, k);
            if (std::isfinite(v)) sink(std::bit_cast<uint64_t>(std::fabs(v - m)));
        }
    };
    size_t n;
    uint64_t unused[2];
    const auto [lowDeviation, highDeviation] =
        MiddleKeysOf<false>(deviations, count, n, unused[0], unused[1]);
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
