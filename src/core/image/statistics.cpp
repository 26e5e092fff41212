#include "core/image/statistics.h"

#include "core/image/bin_counts.h"
#include "core/text/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace orv {

namespace {

__extension__ typedef __int128 TInt128;
__extension__ typedef unsigned __int128 TUInt128;

constexpr size_t kBins = kCountBins; // one per whole value -32768..32767

size_t ValuesToRead(const TImageDocument& doc) {
    const int bytes = BytesPerPixel(doc.PixelType);
    const int64_t pixels = int64_t{doc.ImageWidth} * int64_t{doc.ImageHeight};
    if (bytes == 0 || pixels < 1) return 0;
    return std::min<size_t>(static_cast<size_t>(pixels), doc.PixelStore.size() / static_cast<size_t>(bytes));
}

// Median from the histogram: the last j in -32768..32766 with Cum[j] <= n div 2 <= Cum[j+1].
double HistogramMedian(const uint64_t* counts) {
    uint64_t n = 0;
    for (size_t b = 0; b < kBins; ++b)
        n += counts[b];
    const uint64_t half = n / 2;
    double median = 0;
    uint64_t cum = counts[0];
    for (size_t b = 0; b + 1 < kBins; ++b) {
        const uint64_t next = cum + counts[b + 1];
        if (cum <= half && half <= next) {
            const double j = static_cast<double>(static_cast<int64_t>(b) - 32768);
            median = (cum != 0 && next != 0)
                         ? (j * static_cast<double>(cum) + (j + 1) * static_cast<double>(next)) /
                               static_cast<double>(cum + next)
                         : 0.0;
        }
        cum = next;
    }
    return median;
}

// Mean and population deviation from exact integer sums: count n, sum s1, sum of squares s2.
// n * s2 - s1^2 is n^2 times the variance, exactly, while it fits in 128 bits.
void MeanAndDeviation(uint64_t n, TInt128 s1, TUInt128 s2, TStatistics& out) {
    if (n == 0) return;
    out.Mean = static_cast<double>(static_cast<long double>(s1) / static_cast<long double>(n));
    long double variance;
    if (n < (uint64_t{1} << 32)) {
        const TUInt128 s1Squared =
            static_cast<TUInt128>(s1 < 0 ? -s1 : s1) * static_cast<TUInt128>(s1 < 0 ? -s1 : s1);
        const TUInt128 num = static_cast<TUInt128>(n) * s2 - s1Squared;
        variance =
            static_cast<long double>(num) / (static_cast<long double>(n) * static_cast<long double>(n));
    } else {
        const long double mean = static_cast<long double>(s1) / static_cast<long double>(n);
        variance = std::max(0.0L, static_cast<long double>(s2) / static_cast<long double>(n) - mean * mean);
    }
    out.StandardDeviation = static_cast<double>(std::sqrt(variance));
}

// 16-bit values: every value is counted, so the histogram alone gives all five figures.
void Int16Statistics(const uint8_t* in, size_t count, TStatistics& out) {
    const uint64_t* counts = CountInt16Values(in, count);
    uint64_t n = 0;
    TInt128 s1 = 0;
    TUInt128 s2 = 0;
    int first = -1, last = -1;
    for (size_t b = 0; b < kBins; ++b) {
        const uint64_t c = counts[b];
        if (c == 0) continue;
        if (first < 0) first = static_cast<int>(b);
        last = static_cast<int>(b);
        const int64_t v = static_cast<int64_t>(b) - 32768;
        n += c;
        s1 += static_cast<TInt128>(v) * c;
        s2 += static_cast<TUInt128>(v * v) * c;
    }
    if (n == 0) return;
    out.Minimum = first - 32768;
    out.Maximum = last - 32768;
    MeanAndDeviation(n, s1, s2, out);
    out.Median = HistogramMedian(counts);
}

void Int32Statistics(const uint8_t* in, size_t count, TStatistics& out) {
    TBinCounts& w = BinCounts();
    uint32_t* hist = w.Ways[0];
    std::memset(hist, 0, sizeof w.Ways[0]);
    int32_t lo = std::numeric_limits<int32_t>::max(), hi = std::numeric_limits<int32_t>::min();
    TInt128 s1 = 0;
    TUInt128 s2 = 0;
    for (size_t k = 0; k < count; ++k) {
        int32_t v;
        std::memcpy(&v, in + 4 * k, 4);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        const uint32_t b = static_cast<uint32_t>(v) + 32768u;
        if (b < kBins) ++hist[b];
        s1 += v;
        s2 += static_cast<uint64_t>(int64_t{v} * int64_t{v});
    }
    if (count == 0) return;
    out.Minimum = lo;
    out.Maximum = hi;
    MeanAndDeviation(count, s1, s2, out);
    for (size_t b = 0; b < kBins; ++b)
        w.Counts[b] = hist[b];
    out.Median = HistogramMedian(w.Counts);
}

// Reals: the running mean and spread of Welford's method, as the figures have always been.
template <typename T> void RealStatistics(const uint8_t* in, size_t count, TStatistics& out) {
    TBinCounts& w = BinCounts();
    uint32_t* hist = w.Ways[0];
    std::memset(hist, 0, sizeof w.Ways[0]);
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    double mean = 0, m2 = 0;
    for (size_t k = 0; k < count; ++k) {
        T raw;
        std::memcpy(&raw, in + sizeof(T) * k, sizeof(T));
        const double v = raw;
        if (v > hi) hi = v;
        if (v < lo) lo = v;
        if (v >= -32768.0 && v <= 32767.0) ++hist[static_cast<size_t>(static_cast<int32_t>(v) + 32768)];
        const double delta = v - mean;
        mean += delta / static_cast<double>(k + 1);
        m2 += delta * (v - mean);
    }
    out.Minimum = lo;
    out.Maximum = hi;
    if (count == 0) return;
    out.Mean = mean;
    out.StandardDeviation = std::sqrt(m2 / static_cast<double>(count));
    for (size_t b = 0; b < kBins; ++b)
        w.Counts[b] = hist[b];
    out.Median = HistogramMedian(w.Counts);
}

} // namespace

TStatistics ComputeStatistics(const TImageDocument& doc) {
    return ComputeStatistics(PlaneOf(doc));
}

TStatistics ComputeStatistics(const TValuePlane& plane) {
    TStatistics s;
    s.Minimum = std::numeric_limits<double>::infinity();
    s.Maximum = -std::numeric_limits<double>::infinity();
    const size_t count = plane.Count();
    const uint8_t* in = plane.Store.data();
    switch (plane.PixelType) {
    case kPixelInt16:
        Int16Statistics(in, count, s);
        break;
    case kPixelInt32:
        Int32Statistics(in, count, s);
        break;
    case kPixelReal32:
        RealStatistics<float>(in, count, s);
        break;
    case kPixelReal64:
        RealStatistics<double>(in, count, s);
        break;
    default:
        break;
    }
    return s;
}

TImageSummary SummariseImage(const TImageDocument& doc, int32_t bins) {
    TImageSummary summary;
    summary.Statistics = ComputeStatistics(doc);
    if (doc.PixelType == kPixelInt16 && ValuesToRead(doc) > 0)
        summary.Histogram = HistogramOfWholeCounts(BinCounts().Counts, bins); // the counts just made
    else
        summary.Histogram = ComputeHistogram(doc, bins);
    return summary;
}

std::array<std::pair<std::string, std::string>, 5> StatisticsRows(const TStatistics& s,
                                                                  std::string_view channel) {
    const std::string colon = channel.empty() ? " :" : " (" + std::string(channel) + ") :";
    return {{{"Intensité minimum" + colon, FormatStatistic(s.Minimum)},
             {"Intensité maximum" + colon, FormatStatistic(s.Maximum)},
             {"Intensité moyenne" + colon, FormatStatistic(s.Mean)},
             {"Intensité mediane" + colon, FormatStatistic(s.Median)},
             {"Ecart type" + colon, FormatStatistic(s.StandardDeviation)}}};
}

} // namespace orv
