#include "core/image/robust_level.h"

#include "core/image/bin_counts.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// The walk starts at the least value's bin: the bins below it are empty.
double MedianOfCounts(const uint64_t* counts, size_t n, size_t first) {
    TMiddleWalk walk(n);
    for (size_t b = first;
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

// Large 16-bit planes: a sample tells which few whole values may be the median and which few
// distances the middle deviation, and two passes count the values below each such value: a
// few compares of sixteen values at a time cost less than counting every value into its bin.

// How many of the values are below each of kThresholds whole values, with the least and greatest.
constexpr size_t kThresholds = 8;
struct TBelow {
    int16_t At[kThresholds] = {-32768, -32768, -32768, -32768, -32768, -32768, -32768, -32768}; // none below
    uint64_t Count[kThresholds] = {};
    int16_t Least = 32767, Greatest = -32768;
    // When asked, the starts of the runs of kHighRun values that hold one above High, in order.
    int16_t High = 32767;
    std::vector<size_t>* HighRuns = nullptr;
};

// The pass over the first n thresholds, sixteen values at a time in the compiler's vectors (not
// left to its vectoriser, which passes the loop over below -O3). A lane's counts of one block of
// 4096 values cannot overflow. The next block is read ahead: the hardware's prefetch alone leaves
// the loop waiting on memory.
template <size_t n, bool kExtremes, bool kHigh>
[[gnu::always_inline]] inline void CountBelowInto(const uint8_t* in, size_t count, TBelow& b) {
    using TLanes = int16_t __attribute__((vector_size(32)));
    constexpr size_t kLanes = 16, kBlock = 4096, kStep = kHigh ? kHighRun : kLanes;
    static_assert(kBlock % kHighRun == 0 && kHighRun % kLanes == 0);
    TLanes at[n], least = TLanes{} + b.Least, greatest = TLanes{} + b.Greatest;
    const TLanes high = TLanes{} + b.High;
    for (size_t j = 0; j < n; ++j)
        at[j] = TLanes{} + b.At[j];
    size_t start = 0;
    for (; start + kBlock <= count; start += kBlock) {
        for (size_t ahead = 2 * (start + kBlock); ahead < 2 * std::min(count, start + 2 * kBlock);
             ahead += 64)
            __builtin_prefetch(in + ahead);
        TLanes below[n] = {};
        for (size_t i = start; i < start + kBlock; i += kStep) {
            TLanes hot = {};
            for (size_t u = 0; u < kStep; u += kLanes) {
                TLanes v;
                std::memcpy(&v, in + 2 * (i + u), sizeof v);
#pragma GCC unroll 8
                for (size_t j = 0; j < n; ++j) // unrolled: the counts stay in registers
                    below[j] -= v < at[j];     // a compare is -1 where true
                if constexpr (kExtremes) {
                    least = v < least ? v : least;
                    greatest = v > greatest ? v : greatest;
                }
                if constexpr (kHigh) hot |= v > high;
            }
            if constexpr (kHigh) { // one test for the run: the sky seldom reaches High
                uint64_t q[4];
                std::memcpy(q, &hot, sizeof q);
                if (q[0] | q[1] | q[2] | q[3]) b.HighRuns->push_back(i);
            }
        }
        for (size_t j = 0; j < n; ++j)
            for (size_t lane = 0; lane < kLanes; ++lane)
                b.Count[j] += static_cast<uint16_t>(below[j][lane]);
    }
    for (size_t lane = 0; lane < kLanes; ++lane)
        b.Least = std::min(b.Least, least[lane]), b.Greatest = std::max(b.Greatest, greatest[lane]);
    for (; start < count; ++start) { // the last values, one at a time
        int16_t v;
        std::memcpy(&v, in + 2 * start, 2);
        for (size_t j = 0; j < n; ++j)
            b.Count[j] += v < b.At[j];
        b.Least = std::min(b.Least, v), b.Greatest = std::max(b.Greatest, v);
        const size_t run = start - start % kHighRun;
        if (kHigh && v > b.High && (b.HighRuns->empty() || b.HighRuns->back() != run))
            b.HighRuns->push_back(run);
    }
}
#if defined(__x86_64__)
template <size_t n, bool kExtremes, bool kHigh>
__attribute__((target("avx2"))) void CountBelowAvx2(const uint8_t* in, size_t count, TBelow& b) {
    CountBelowInto<n, kExtremes, kHigh>(in, count, b);
}
#endif
// Four or six thresholds when they are enough: with four the pass takes about half the time.
// The least and greatest values only when asked, the runs above High when b asks for them.
template <bool kExtremes> void CountBelow(const uint8_t* in, size_t count, size_t thresholds, TBelow& b) {
    const auto pass = [&]<bool kHigh>() {
#if defined(__x86_64__)
        static const bool avx2 = __builtin_cpu_supports("avx2");
        if (avx2)
            return thresholds <= 4   ? CountBelowAvx2<4, kExtremes, kHigh>(in, count, b)
                   : thresholds <= 6 ? CountBelowAvx2<6, kExtremes, kHigh>(in, count, b)
                                     : CountBelowAvx2<8, kExtremes, kHigh>(in, count, b);
#endif
        return thresholds <= 4   ? CountBelowInto<4, kExtremes, kHigh>(in, count, b)
               : thresholds <= 6 ? CountBelowInto<6, kExtremes, kHigh>(in, count, b)
                                 : CountBelowInto<8, kExtremes, kHigh>(in, count, b);
    };
    return b.HighRuns ? pass.template operator()<true>() : pass.template operator()<false>();
}

std::optional<TRobustLevel> Level16Bracketed(const TValuePlane& plane, size_t count, THighRuns* runs,
                                             bool extremes) {
    constexpr size_t kSample = 16384;
    if (count < 16 * kSample) return std::nullopt;
    // The sample's counts per whole value, and its values and distances at ranks. The table is
    // the thread's, and left empty again for the next frame: clearing all of it would cost more
    // than the sample.
    static thread_local const std::unique_ptr<uint32_t[]> table = std::make_unique<uint32_t[]>(kBins);
    uint32_t* hist = table.get();
    uint16_t bins[kSample];
    size_t s = 0, first = kBins;
    for (size_t k = 0; k < count; k += (count + kSample - 1) / kSample, ++s) {
        bins[s] = static_cast<uint16_t>(PlaneValue<int16_t>(plane, k) + 32768);
        ++hist[bins[s]], first = std::min<size_t>(first, bins[s]);
    }
    struct TEmptied {
        uint32_t* Hist;
        const uint16_t* Bins;
        size_t Size;
        ~TEmptied() {
            for (size_t k = 0; k < Size; ++k)
                Hist[Bins[k]] = 0;
        }
    } emptied{hist, bins, s};
    const auto valueAt = [&](size_t r) {
        size_t b = first;
        for (size_t cum = hist[b]; cum <= r;)
            cum += hist[++b];
        return static_cast<int32_t>(b) - 32768;
    };
    // The sample's middle strays by about sqrt(s) / 2 ranks: three times that seldom misses,
    // and each whole value less in a bracket saves two compares per value in a pass. A miss
    // costs the slower way, not the figures.
    const size_t margin = 3 * static_cast<size_t>(std::sqrt(static_cast<double>(s))) / 2;
    const int32_t from = valueAt(s / 2 - margin), to = valueAt(s / 2 + margin);
    if (to - from + 2 > int32_t(kThresholds) || to >= 32767) return std::nullopt;

    // The median: the value x in [from, to] with fewer than rank + 1 values below x and more below x + 1.
    TBelow median;
    for (size_t j = 0; j < kThresholds; ++j)
        median.At[j] = static_cast<int16_t>(std::min<int32_t>(from + int32_t(j), to + 1));
    if (extremes)
        CountBelow<true>(plane.Store.data(), count, size_t(to - from + 2), median);
    else
        CountBelow<false>(plane.Store.data(), count, size_t(to - from + 2), median);
    const TMiddle mid = MiddleRanks(count);
    const auto medianAt = [&](size_t r) -> std::optional<double> {
        for (size_t j = 0; j + 1 < kThresholds; ++j)
            if (median.Count[j] <= r && r < median.Count[j + 1]) return median.At[j];
        return std::nullopt;
    };
    const auto low = medianAt(mid.Low), high = medianAt(mid.High);
    if (!low || !high) return std::nullopt;
    TRobustLevel r;
    r.Count = count;
    if (extremes) r.Minimum = median.Least, r.Maximum = median.Greatest;
    r.Median = (*low + *high) / 2;

    // The deviation: the distances |v - m| step by 1 from 0 or 0.5, and a distance D holds the
    // values in [ceil(m - D), floor(m + D)]. The sample's distances to m, merged outwards from
    // both sides, bracket it.
    const double m = r.Median, least = m == std::floor(m) ? 0 : 0.5;
    const auto distanceAt = [&](size_t rank) {
        int32_t left = static_cast<int32_t>(std::floor(m)) + 32768, right = left + 1;
        double d = 0;
        for (size_t cum = 0; cum <= rank;) {
            const double dl = left >= 0 ? m - (left - 32768) : HUGE_VAL;
            const double dr = right < int32_t(kBins) ? (right - 32768) - m : HUGE_VAL;
            d = std::min(dl, dr);
            cum += hist[dl <= dr ? left-- : right++];
        }
        return d;
    };
    const double d0 = std::max(least, distanceAt(s / 2 - margin) - 1);
    TBelow spread;
    const double d1 = distanceAt(s / 2 + margin);
    if (d1 - d0 >= double(kThresholds / 2)) return std::nullopt;
    const size_t candidates = static_cast<size_t>(d1 - d0) + 1;
    for (size_t j = 0; j < candidates; ++j) {
        const double d = d0 + double(j);
        if (m + d >= 32767) return std::nullopt;
        spread.At[2 * j] = static_cast<int16_t>(std::max(std::ceil(m - d), -32768.0)); // none is below
        spread.At[2 * j + 1] = static_cast<int16_t>(std::floor(m + d) + 1);
    }
    if (runs) {
        // The spread is at least kMadToSigma x d0: every value above the median plus Spreads
        // spreads is above this bound.
        const double bound = std::floor(m + runs->Spreads * (kMadToSigma * d0)) - 1;
        spread.High = static_cast<int16_t>(std::clamp(bound, -32768.0, 32767.0));
        runs->Starts.clear();
        spread.HighRuns = &runs->Starts;
    }
    CountBelow<false>(plane.Store.data(), count, 2 * candidates, spread);
    const auto deviationAt = [&](size_t rank) -> std::optional<double> {
        for (size_t j = 0; j < candidates; ++j) {
            const uint64_t within = spread.Count[2 * j + 1] - spread.Count[2 * j];
            if (within <= rank) continue;
            if (j == 0 && d0 != least) return std::nullopt; // fewer within d0 - 1 unknown
            return d0 + double(j);
        }
        return std::nullopt;
    };
    const auto lowDeviation = deviationAt(mid.Low), highDeviation = deviationAt(mid.High);
    if (!lowDeviation || !highDeviation) return std::nullopt;
    r.Spread = kMadToSigma * ((*lowDeviation + *highDeviation) / 2);
    if (runs) runs->Found = true;
    return r;
}

TRobustLevel Level16(const TValuePlane& plane, size_t count, THighRuns* high, bool extremes) {
    if (const auto bracketed = Level16Bracketed(plane, count, high, extremes)) return *bracketed;
    const uint64_t* counts = CountInt16Values(plane.Store.data(), count);
    size_t first = 0, last = kBins - 1; // count > 0: both stop on a value
    while (counts[first] == 0)
        ++first;
    while (counts[last] == 0)
        --last;
    TRobustLevel r;
    r.Count = count;
    r.Minimum = static_cast<double>(static_cast<int64_t>(first) - 32768);
    r.Maximum = static_cast<double>(static_cast<int64_t>(last) - 32768);
    r.Median = MedianOfCounts(counts, count, first);
    r.Spread = kMadToSigma * MedianDeviationOfCounts(counts, count, r.Median);
    return r;
}

// ---- Other types: selection on keys whose unsigned order is the values' order.

template <typename T> struct TKeyOf;
template <> struct TKeyOf<int32_t> {
    using Key = uint32_t;
    static constexpr Key Of(int32_t v) { return OfBits(static_cast<uint32_t>(v)); }
    static constexpr Key OfBits(uint32_t b) { return b ^ 0x80000000u; }
    static double Value(Key k) { return static_cast<int32_t>(k ^ 0x80000000u); }
    static constexpr Key kLeastFinite = 0, kGreatestFinite = std::numeric_limits<Key>::max();
};
// A negative real's bits are all flipped, a positive one's sign set; without a branch, so that
// loops over keys vectorise.
template <typename F, typename K> struct TRealKey {
    using Key = K;
    static constexpr K kSign = K(1) << (sizeof(K) * 8 - 1);
    static constexpr Key Of(F v) { return OfBits(std::bit_cast<K>(v)); }
    static constexpr Key OfBits(K b) { return b ^ ((K(0) - (b >> (sizeof(K) * 8 - 1))) | kSign); }
    static double Value(Key k) { return std::bit_cast<F>((k & kSign) ? (k & ~kSign) : ~k); }
    static constexpr Key kLeastFinite = Of(std::numeric_limits<F>::lowest());
    static constexpr Key kGreatestFinite = Of(std::numeric_limits<F>::max());
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

// The middle keys of the n keys that visit(sink) hands to sink, from the counts of their bits;
// least and greatest too.
template <typename Key, typename Visit>
std::pair<Key, Key> MiddleKeysOf(const Visit& visit, size_t& n, Key& least, Key& greatest) {
    n = CountTopBits(visit, least, greatest);
    if (n == 0) return {};
    return MiddleKeys<Key>(visit, n);
}

// ---- Large planes: both figures from one pass against brackets taken from a sample.

// The key of a T near x.
template <typename T> typename TKeyOf<T>::Key KeyNear(double x) {
    using L = std::numeric_limits<T>;
    return TKeyOf<T>::Of(
        static_cast<T>(std::clamp(x, static_cast<double>(L::lowest()), static_cast<double>(L::max()))));
}

// What one pass sorts out of the keys against nested ranges: [Near, Far] holds the core
// [CoreFrom, CoreTo], which holds the median's bracket [From, To]. Kept: the keys in the bracket
// and those in the shells, in the outer range but not in the core. Counted: all keys, those below
// the bracket and those in the core only.
template <typename Key> struct TSortOut {
    Key Near = 0, CoreFrom = 0, From = 0, To = 0, CoreTo = 0, Far = 0;
    size_t All = 0, Below = 0, InCore = 0;
    Key Least = std::numeric_limits<Key>::max(), Greatest = 0;
    std::vector<Key> Median, Shells;
};

// The pass goes by blocks: a loop without a branch on the value counts and flags the values to
// keep (on a noisy sky such branches are mispredicted half of the time), then the few flagged
// are kept.
constexpr size_t kSortBlock = 1024;

// The block of m <= kSortBlock values at `in`, on keys: a loop the compiler vectorises. An
// unsigned difference tests a range in one compare.
template <typename T, typename Key> void SortOutKeys(const uint8_t* in, size_t m, TSortOut<Key>& s) {
    using K = TKeyOf<T>;
    constexpr Key kFiniteSpan = K::kGreatestFinite - K::kLeastFinite;
    // In locals: the flags' stores might otherwise alias the ranges.
    const Key from = s.From, medianSpan = s.To - s.From, near = s.Near, nearSpan = s.Far - s.Near,
              core = s.CoreFrom, coreSpan = s.CoreTo - s.CoreFrom;
    Key all = 0, below = 0, inCore = 0; // as wide as the keys, so that the loop vectorises
    Key least = s.Least, greatest = s.Greatest;
    Key keys[kSortBlock];
    uint8_t median[kSortBlock], shell[kSortBlock];
    for (size_t i = 0; i < m; ++i) {
        Key raw; // the value's bits, read as such: a detour through T would not vectorise
        std::memcpy(&raw, in + i * sizeof(T), sizeof(T));
        const Key k = K::OfBits(raw);
        const Key finite = Key(k - K::kLeastFinite) <= kFiniteSpan;
        all += finite;
        least = std::min(least, k | Key(finite - 1)); // a masked key, not a select: it vectorises
        greatest = std::max(greatest, k & Key(0 - finite));
        below += finite & (k < from);
        const Key inMedian = Key(k - from) <= medianSpan, inCoreRange = Key(k - core) <= coreSpan;
        inCore += inCoreRange & (inMedian ^ 1);
        median[i] = static_cast<uint8_t>(inMedian);
        shell[i] = static_cast<uint8_t>((Key(k - near) <= nearSpan) & (inCoreRange ^ 1));
        keys[i] = k;
    }
    for (size_t i = 0; i < m; ++i) {
        if (median[i]) s.Median.push_back(keys[i]);
        if (shell[i]) s.Shells.push_back(keys[i]);
    }
    s.All += all, s.Below += below, s.InCore += inCore, s.Least = least, s.Greatest = greatest;
}

#if defined(__x86_64__)
// Where the flagged lanes of eight go to pack them at the front, for each of the 256 flag sets.
struct TPackTable {
    uint32_t Lanes[256][8];
};
constexpr TPackTable MakePackTable() {
    TPackTable t{};
    for (uint32_t flags = 0; flags < 256; ++flags)
        for (uint32_t lane = 0, packed = 0; lane < 8; ++lane)
            if (flags >> lane & 1) t.Lanes[flags][packed++] = lane;
    return t;
}
constexpr TPackTable kPackTable = MakePackTable();

// Stores the keys of the flagged lanes at out, packed to the front; returns past them.
__attribute__((target("avx2"))) inline uint32_t* PackKeys(__m256i keys, __m256 flags, uint32_t* out) {
    const int set = _mm256_movemask_ps(flags);
    const __m256i lanes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kPackTable.Lanes[set]));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permutevar8x32_epi32(keys, lanes));
    return out + std::popcount(static_cast<uint32_t>(set));
}

// The pass on 32-bit reals, eight at a time, the values compared as such: a fraction of the
// work on keys. NaN counts nowhere; an infinity counts as finite, so a plane with one takes the
// keys' way. The compares hold -0 and +0 equal where the keys put -0 first: as the two keys are
// neighbours, each range still holds a run of keys, and only the least and greatest need telling
// apart. The kept keys are packed to the front of eight and all eight stored at once, so each
// output needs 8 slots of room past what it keeps.
struct TFloatPass {
    uint32_t* Median;
    uint32_t* Shells;
    size_t MedianCount = 0, ShellCount = 0, All = 0, Below = 0, InCore = 0;
    float Least = INFINITY, Greatest = -INFINITY;
};

__attribute__((target("avx2"))) void SortOutFloats(const float* values, size_t m, const TSortOut<uint32_t>& s,
                                                   TFloatPass& pass) {
    using K = TKeyOf<float>;
    const auto at = [](uint32_t key) { return static_cast<float>(K::Value(key)); };
    const __m256 near = _mm256_set1_ps(at(s.Near)), coreFrom = _mm256_set1_ps(at(s.CoreFrom)),
                 from = _mm256_set1_ps(at(s.From)), to = _mm256_set1_ps(at(s.To)),
                 coreTo = _mm256_set1_ps(at(s.CoreTo)), far = _mm256_set1_ps(at(s.Far));
    const __m256i sign = _mm256_set1_epi32(int32_t(K::kSign));
    __m256i all = _mm256_setzero_si256(), below = all, inCore = all;
    __m256 least = _mm256_set1_ps(pass.Least), greatest = _mm256_set1_ps(pass.Greatest);
    uint32_t* median = pass.Median + pass.MedianCount;
    uint32_t* shells = pass.Shells + pass.ShellCount;
    for (size_t i = 0; i < m; i += 8) {
        const __m256 v = _mm256_loadu_ps(values + i);
        // Read ahead: the hardware's prefetch alone leaves this loop waiting on memory.
        _mm_prefetch(reinterpret_cast<const char*>(values + i) + 4096, _MM_HINT_T0);
        const __m256 under = _mm256_cmp_ps(v, from, _CMP_LT_OQ);
        const __m256 inMedian = _mm256_andnot_ps(under, _mm256_cmp_ps(v, to, _CMP_LE_OQ));
        const __m256 inCoreRange =
            _mm256_and_ps(_mm256_cmp_ps(v, coreFrom, _CMP_GE_OQ), _mm256_cmp_ps(v, coreTo, _CMP_LE_OQ));
        const __m256 shell = _mm256_andnot_ps(inCoreRange, _mm256_and_ps(_mm256_cmp_ps(v, near, _CMP_GE_OQ),
                                                                         _mm256_cmp_ps(v, far, _CMP_LE_OQ)));
        all = _mm256_sub_epi32(all, _mm256_castps_si256(_mm256_cmp_ps(v, v, _CMP_ORD_Q)));
        below = _mm256_sub_epi32(below, _mm256_castps_si256(under));
        inCore = _mm256_sub_epi32(inCore, _mm256_castps_si256(_mm256_andnot_ps(inMedian, inCoreRange)));
        least = _mm256_min_ps(v, least); // a NaN in v gives the second operand
        greatest = _mm256_max_ps(v, greatest);
        const __m256i bits = _mm256_castps_si256(v);
        const __m256i keys = _mm256_xor_si256(bits, _mm256_or_si256(_mm256_srai_epi32(bits, 31), sign));
        median = PackKeys(keys, inMedian, median);
        shells = PackKeys(keys, shell, shells);
    }
    uint32_t counts[3][8];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(counts[0]), all);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(counts[1]), below);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(counts[2]), inCore);
    for (int lane = 0; lane < 8; ++lane)
        pass.All += counts[0][lane], pass.Below += counts[1][lane], pass.InCore += counts[2][lane];
    float extremes[2][8];
    _mm256_storeu_ps(extremes[0], least);
    _mm256_storeu_ps(extremes[1], greatest);
    for (int lane = 0; lane < 8; ++lane)
        pass.Least = std::min(pass.Least, extremes[0][lane]),
        pass.Greatest = std::max(pass.Greatest, extremes[1][lane]);
    pass.MedianCount = size_t(median - pass.Median), pass.ShellCount = size_t(shells - pass.Shells);
}

// The pass on 32-bit reals by the compares above; false without AVX2 or with an infinity.
bool SortOutFloats(const TValuePlane& plane, size_t count, TSortOut<uint32_t>& s) {
    using K = TKeyOf<float>;
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (!avx2) return false;
    TFloatPass pass;
    const auto room = [&](std::vector<uint32_t>& kept, size_t used) {
        if (kept.size() < used + kSortBlock + 8)
            kept.resize(std::max(2 * kept.size(), used + kSortBlock + 8));
        return kept.data();
    };
    s.Median.resize(s.Median.capacity()), s.Shells.resize(s.Shells.capacity());
    alignas(32) float last[kSortBlock]; // the plane's last block, NaN after its values
    for (size_t start = 0; start < count; start += kSortBlock) {
        const float* values = reinterpret_cast<const float*>(plane.Store.data()) + start;
        const size_t m = std::min(kSortBlock, count - start);
        if (m % 8 != 0) {
            std::fill(std::begin(last), std::end(last), NAN);
            std::memcpy(last, values, m * sizeof(float));
            values = last;
        }
        pass.Median = room(s.Median, pass.MedianCount), pass.Shells = room(s.Shells, pass.ShellCount);
        SortOutFloats(values, (m + 7) / 8 * 8, s, pass);
    }
    const bool finite = std::isfinite(pass.Least) && std::isfinite(pass.Greatest);
    s.Median.resize(finite ? pass.MedianCount : 0), s.Shells.resize(finite ? pass.ShellCount : 0);
    if (!finite) return false;
    s.All = pass.All, s.Below = pass.Below, s.InCore = pass.InCore;
    s.Least = K::Of(pass.Least), s.Greatest = K::Of(pass.Greatest);
    // Which zero a least or greatest of 0 is: a compare does not tell -0 from +0.
    if (pass.Least == 0 || pass.Greatest == 0) {
        bool negative = false, positive = false;
        for (size_t k = 0; k < count; ++k) {
            const uint32_t raw = std::bit_cast<uint32_t>(PlaneValue<float>(plane, k));
            negative |= raw == K::kSign;
            positive |= raw == 0;
        }
        if (pass.Least == 0) s.Least = K::Of(negative ? -0.0f : 0.0f);
        if (pass.Greatest == 0) s.Greatest = K::Of(positive ? 0.0f : -0.0f);
    }
    return true;
}
#endif

template <typename T, typename Key> void SortOut(const TValuePlane& plane, size_t count, TSortOut<Key>& s) {
#if defined(__x86_64__)
    if constexpr (std::is_same_v<T, float>)
        if (SortOutFloats(plane, count, s)) return;
#endif
    for (size_t start = 0; start < count; start += kSortBlock)
        SortOutKeys<T>(plane.Store.data() + start * sizeof(T), std::min(kSortBlock, count - start), s);
}

// The keys at rank r and, with `pair`, r + 1 of the keys that `key` gives of each of `items`.
// Not nth_element: its compares are mispredicted half of the time, and whole-valued data repeat
// each key thousands of times. The keys are counted into at most 65536 bins of their range, and
// those in the rank's bin kept for the next round, until a bin holds one key.
template <typename Key, typename Item, typename KeyOfItem>
std::pair<Key, Key> KeysAtRanks(const std::vector<Item>& items, const KeyOfItem& key, size_t r, bool pair) {
    Key lo = std::numeric_limits<Key>::max(), hi = 0;
    for (const Item& item : items)
        lo = std::min(lo, key(item)), hi = std::max(hi, key(item));
    std::optional<Key> high; // once the ranks fall in two bins
    std::vector<uint32_t> ways, counts;
    std::vector<Key> in;
    const auto round = [&](const auto& v, const auto& keyOf) {
        const int shift = std::max(0, static_cast<int>(std::bit_width(Key(hi - lo))) - 14);
        const size_t bins = static_cast<size_t>((hi - lo) >> shift) + 1;
        const auto bin = [&](size_t i) { return static_cast<size_t>((keyOf(v[i]) - lo) >> shift); };
        // Four tables taken in turn, so that a run of one key does not wait on its own counts.
        ways.assign(4 * bins, 0);
        size_t i = 0;
        for (; i + 4 <= v.size(); i += 4)
            for (size_t w = 0; w < 4; ++w)
                ++ways[w * bins + bin(i + w)];
        for (; i < v.size(); ++i)
            ++ways[bin(i)];
        counts.resize(bins);
        for (size_t c = 0; c < bins; ++c)
            counts[c] = ways[c] + ways[bins + c] + ways[2 * bins + c] + ways[3 * bins + c];
        size_t b = 0;
        while (counts[b] <= r)
            r -= counts[b++];
        size_t next = b; // the bin of rank r + 1
        if (pair && !high && r + 1 == counts[b])
            while (counts[++next] == 0) {
            }
        // A bin of one key ends the search: so is a bin of whole bits, and a bin holding many
        // equal keys is told by its extremes before they are copied.
        Key least = std::numeric_limits<Key>::max(), greatest = 0, nextLeast = least;
        if (shift == 0)
            least = greatest = Key(lo + b), nextLeast = Key(lo + next);
        else if (counts[b] > v.size() / 16 || next != b)
            for (size_t j = 0; j < v.size(); ++j) {
                const Key k = keyOf(v[j]);
                const size_t at = bin(j);
                least = at == b ? std::min(least, k) : least;
                greatest = at == b ? std::max(greatest, k) : greatest;
                nextLeast = at == next ? std::min(nextLeast, k) : nextLeast;
            }
        if (next != b) high = nextLeast;
        if (least == greatest) {
            lo = hi = least;
            return;
        }
        std::vector<Key> kept(counts[b] + 1); // the last slot takes the stores of the other keys
        size_t g = 0;
        for (size_t j = 0; j < v.size(); ++j) {
            kept[g] = keyOf(v[j]);
            g += bin(j) == b;
        }
        kept.pop_back();
        const auto [inLeast, inGreatest] = std::minmax_element(kept.begin(), kept.end());
        lo = *inLeast, hi = *inGreatest;
        in = std::move(kept);
    };
    if (lo != hi) round(items, key);
    while (lo != hi)
        round(in, [](Key k) { return k; });
    return {lo, high.value_or(lo)};
}

// The keys at the two middle ranks of n keys, of which `below` are less than every key of
// items and items give those that follow; nullopt when they do not give both ranks.
template <typename Key, typename Item, typename KeyOfItem>
std::optional<std::pair<Key, Key>> MiddlePair(const std::vector<Item>& items, const KeyOfItem& key,
                                              size_t below, TMiddle mid) {
    if (mid.Low < below || mid.High >= below + items.size()) return std::nullopt;
    return KeysAtRanks<Key>(items, key, mid.Low - below, mid.High != mid.Low);
}

// The figures of a plane of at least 8 x 65536 values, when a sample of every count / 65536-th
// value brackets both middles: the sample gives a bracket of keys around the median and one of
// distances around the middle deviation, one pass sorts out the keys against them, and each
// middle is selected among the kept. Checks on the ranks and distances tell when a bracket
// missed; then nullopt.
template <typename T> std::optional<TRobustLevel> LevelBracketed(const TValuePlane& plane, size_t count) {
    using K = TKeyOf<T>;
    using Key = typename K::Key;
    constexpr size_t kSample = 65536;
    if (count < 8 * kSample) return std::nullopt;
    std::vector<Key> sample;
    sample.reserve(kSample + 1);
    for (size_t k = 0; k < count; k += count / kSample) {
        const T v = PlaneValue<T>(plane, k);
        if (std::isfinite(static_cast<double>(v))) sample.push_back(K::Of(v));
    }
    const size_t s = sample.size();
    if (s < kSample / 2) return std::nullopt;
    // The middle of a sample of s strays by about sqrt(s) / 2 ranks: a bracket spans 4 times that.
    const size_t margin = 2 * static_cast<size_t>(std::sqrt(static_cast<double>(s)));
    const auto ranked = [&](auto& v, size_t r) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(r), v.end());
        return v[r];
    };
    const Key from = ranked(sample, s / 2 - margin), to = ranked(sample, s / 2 + margin);
    const double guess = K::Value(ranked(sample, s / 2));
    std::vector<double> sampleDistances(s);
    for (size_t i = 0; i < s; ++i)
        sampleDistances[i] = std::fabs(K::Value(sample[i]) - guess);
    const double d0 = ranked(sampleDistances, s / 2 - margin), d1 = ranked(sampleDistances, s / 2 + margin);
    if (!std::isfinite(d1)) return std::nullopt;

    // Wherever the median falls in [low, high], the values within d0 of it cover the core and
    // those within d1 lie in [near, far].
    const double low = K::Value(from), high = K::Value(to);
    TSortOut<Key> out;
    out.From = from, out.To = to;
    out.Near = std::clamp(KeyNear<T>(low - d1), K::kLeastFinite, from);
    out.Far = std::clamp(KeyNear<T>(high + d1), to, K::kGreatestFinite);
    // The core stops a key short of d0: a heap of values at that very distance, as whole values
    // make, may hold the middle one.
    const Key beyond = std::numeric_limits<Key>::max();
    const Key coreFrom = KeyNear<T>(high - d0), coreTo = KeyNear<T>(low + d0);
    out.CoreFrom = std::clamp(Key(coreFrom + (coreFrom < beyond)), out.Near, from);
    out.CoreTo = std::clamp(Key(coreTo - (coreTo > 0)), to, out.Far);
    // Room for the kept, from the sample's share with a fifth more: no copy as they grow.
    const auto share = [&](Key a, Key b) {
        const size_t in =
            size_t(std::count_if(sample.begin(), sample.end(), [&](Key k) { return a <= k && k <= b; }));
        return (in + in / 5 + 16) * (count / s);
    };
    out.Median.reserve(share(from, to));
    out.Shells.reserve(share(out.Near, out.Far) - share(out.CoreFrom, out.CoreTo) + share(from, to));
    SortOut<T>(plane, count, out);

    const TMiddle mid = MiddleRanks(out.All);
    const auto middleKeys = MiddlePair<Key>(
        out.Median, [](Key k) { return k; }, out.Below, mid);
    if (!middleKeys) return std::nullopt;
    TRobustLevel r;
    r.Count = out.All;
    r.Minimum = K::Value(out.Least);
    r.Maximum = K::Value(out.Greatest);
    r.Median = (K::Value(middleKeys->first) + K::Value(middleKeys->second)) / 2;
    const double m = r.Median;
    // The distances of the shells, and of the bracket too when the middle one may be among them;
    // |v - m| >= 0: the bits of a non-negative double are in the order of its value.
    size_t closer = out.InCore + out.Median.size();
    if (mid.Low < closer) {
        out.Shells.insert(out.Shells.end(), out.Median.begin(), out.Median.end());
        closer = out.InCore;
    }
    const auto distance = [m](Key k) { return std::bit_cast<uint64_t>(std::fabs(K::Value(k) - m)); };
    const auto middleBits = MiddlePair<uint64_t>(out.Shells, distance, closer, mid);
    if (!middleBits) return std::nullopt;
    const double lowDistance = std::bit_cast<double>(middleBits->first),
                 highDistance = std::bit_cast<double>(middleBits->second);
    // Distances are rounded in the order of the values: those left in the core are at most
    // those of its ends, and those outside [near, far] at least those of its ends.
    const double coreMost =
        std::max(std::fabs(K::Value(out.CoreFrom) - m), std::fabs(K::Value(out.CoreTo) - m));
    if (closer > 0 && lowDistance < coreMost) return std::nullopt;
    if (out.All > closer + out.Shells.size() &&
        highDistance > std::min(m - K::Value(out.Near), K::Value(out.Far) - m))
        return std::nullopt;
    r.Spread = kMadToSigma * (lowDistance + highDistance) / 2;
    return r;
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
    if (const auto bracketed = LevelBracketed<T>(plane, count)) return *bracketed;
    TRobustLevel r;
    Key least, greatest;
    const auto [lowKey, highKey] = MiddleKeysOf(keys, r.Count, least, greatest);
    if (r.Count == 0) return r;
    r.Minimum = K::Value(least);
    r.Maximum = K::Value(greatest);
    r.Median = (K::Value(lowKey) + K::Value(highKey)) / 2;
    // |v - m| >= 0: the bits of a non-negative double are in the order of its value.
    const double m = r.Median;
    const auto deviations = [&](auto&& sink) {
        for (size_t k = 0; k < count; ++k) {
            const double v = PlaneValue<T>(plane, k);
            if (std::isfinite(v)) sink(std::bit_cast<uint64_t>(std::fabs(v - m)));
        }
    };
    size_t n;
    uint64_t unused[2];
    const auto [lowDeviation, highDeviation] = MiddleKeysOf(deviations, n, unused[0], unused[1]);
    r.Spread = kMadToSigma * (std::bit_cast<double>(lowDeviation) + std::bit_cast<double>(highDeviation)) / 2;
    return r;
}

} // namespace

TRobustLevel RobustLevel(const TValuePlane& plane, THighRuns* high, bool extremes) {
    if (high) high->Found = false;
    const size_t count = plane.Count();
    if (count == 0) return {};
    switch (plane.PixelType) {
    case kPixelInt16:
        return Level16(plane, count, high, extremes);
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
