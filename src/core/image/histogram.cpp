#include "core/image/histogram.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace orv {

namespace {

// Bins of whole values from `low` to `high`.
THistogram WholeBins(int64_t low, int64_t high, int32_t bins) {
    const int64_t range = high - low + 1;
    const int64_t width = (range + bins - 1) / bins;
    THistogram h;
    h.Start = static_cast<double>(low) - 0.5;
    h.End = h.Start + static_cast<double>(((range + width - 1) / width) * width);
    h.Counts.assign(static_cast<size_t>((range + width - 1) / width), 0);
    return h;
}

template <typename T> T ValueAtIndex(const uint8_t* in, size_t k) {
    T v;
    std::memcpy(&v, in + k * sizeof(T), sizeof(T));
    return v;
}

// The values beyond the bulk at either end: a thousandth of them, so that a few hot or dead
// pixels do not squeeze the image's own values into a few bins.
size_t OutliersAtEachEnd(size_t count) {
    return count / 1000;
}

// At most this many values decide where the bulk ends; larger images are sampled evenly.
constexpr size_t kBulkSample = size_t{1} << 20;

// The lowest and highest values of the bulk among `count` values read by `at` (finite ones;
// none when there are none).
template <typename T, typename At> std::optional<std::pair<T, T>> Bulk(size_t count, At at) {
    const size_t stride = std::max<size_t>(1, (count + kBulkSample - 1) / kBulkSample);
    std::vector<T> sample;
    sample.reserve(std::min(count, kBulkSample));
    for (size_t k = 0; k < count; k += stride) {
        const T v = at(k);
        if constexpr (std::is_floating_point_v<T>)
            if (!std::isfinite(v)) continue;
        sample.push_back(v);
    }
    if (sample.empty()) return std::nullopt;
    const size_t cut = OutliersAtEachEnd(sample.size());
    std::nth_element(sample.begin(), sample.begin() + static_cast<ptrdiff_t>(cut), sample.end());
    const T low = sample[cut];
    std::nth_element(sample.begin(), sample.end() - 1 - static_cast<ptrdiff_t>(cut), sample.end());
    return std::pair{low, sample[sample.size() - 1 - cut]};
}

template <typename T> THistogram IntegerHistogram(const uint8_t* in, size_t count, int32_t bins) {
    const auto bulk = Bulk<T>(count, [in](size_t k) { return ValueAtIndex<T>(in, k); });
    if (!bulk) return {};
    const int64_t lo = bulk->first, hi = bulk->second;
    THistogram h = WholeBins(lo, hi, bins);
    const int64_t width = static_cast<int64_t>(h.End - h.Start) / static_cast<int64_t>(h.Counts.size());
    for (size_t k = 0; k < count; ++k) {
        const int64_t v = std::clamp<int64_t>(ValueAtIndex<T>(in, k), lo, hi);
        ++h.Counts[static_cast<size_t>((v - lo) / width)];
    }
    return h;
}

template <typename T> THistogram RealHistogram(const uint8_t* in, size_t count, int32_t bins) {
    const auto bulk = Bulk<double>(count, [in](size_t k) { return double{ValueAtIndex<T>(in, k)}; });
    if (!bulk) return {};
    const double lo = bulk->first, hi = bulk->second;
    THistogram h;
    h.Counts.assign(lo == hi ? 1 : static_cast<size_t>(bins), 0);
    h.Start = lo == hi ? lo - 0.5 : lo;
    h.End = lo == hi ? hi + 0.5 : hi;
    const double perUnit = static_cast<double>(h.Counts.size()) / (h.End - h.Start);
    const size_t last = h.Counts.size() - 1;
    for (size_t k = 0; k < count; ++k) {
        const double v = ValueAtIndex<T>(in, k);
        if (!std::isfinite(v)) continue;
        ++h.Counts[std::min(last, static_cast<size_t>((std::clamp(v, lo, hi) - h.Start) * perUnit))];
    }
    return h;
}

} // namespace

uint64_t THistogram::Peak() const {
    return Counts.empty() ? 0 : *std::max_element(Counts.begin(), Counts.end());
}

double THistogram::Place(double value) const {
    if (!(End > Start) || std::isnan(value)) return 0;
    return std::clamp((value - Start) / (End - Start), 0.0, 1.0);
}

double THistogram::ValueAt(double place) const {
    return Start + place * (End - Start);
}

double MarkerValue(const THistogram& h, double place, bool wholeValues) {
    const double value = h.ValueAt(std::clamp(place, 0.0, 1.0));
    if (wholeValues) return std::nearbyint(value);
    const double span = h.End - h.Start;
    if (!(span > 0)) return value;
    const double step = std::pow(10.0, std::floor(std::log10(span / 1000)));
    return std::nearbyint(value / step) * step;
}

double LogHeight(uint64_t count, uint64_t peak) {
    if (count == 0 || peak == 0) return 0;
    return std::log1p(static_cast<double>(count)) / std::log1p(static_cast<double>(peak));
}

THistogram HistogramOfWholeCounts(const uint64_t* counts, int32_t bins) {
    uint64_t total = 0;
    for (int64_t b = 0; b < 65536; ++b)
        total += counts[b];
    if (total == 0 || bins < 1) return {};
    // The bulk's ends: past the outliers counted from either end.
    const uint64_t cut = OutliersAtEachEnd(static_cast<size_t>(total));
    int64_t first = 0, last = 65535;
    for (uint64_t below = 0; below + counts[first] <= cut; ++first)
        below += counts[first];
    for (uint64_t above = 0; above + counts[last] <= cut; --last)
        above += counts[last];
    THistogram h = WholeBins(first - 32768, last - 32768, bins);
    const int64_t width = static_cast<int64_t>(h.End - h.Start) / static_cast<int64_t>(h.Counts.size());
    for (int64_t b = 0; b < 65536; ++b)
        if (counts[b] != 0)
            h.Counts[static_cast<size_t>((std::clamp(b, first, last) - first) / width)] += counts[b];
    return h;
}

THistogram ComputeHistogram(const TImageDocument& doc, int32_t bins) {
    const int bytes = BytesPerPixel(doc.PixelType);
    const int64_t pixels = int64_t{doc.ImageWidth} * int64_t{doc.ImageHeight};
    if (bytes == 0 || pixels < 1 || bins < 1) return {};
    const size_t count =
        std::min<size_t>(static_cast<size_t>(pixels), doc.PixelStore.size() / static_cast<size_t>(bytes));
    const uint8_t* in = doc.PixelStore.data();
    switch (doc.PixelType) {
    case kPixelInt16: {
        std::vector<uint64_t> counts(65536, 0);
        for (size_t k = 0; k < count; ++k)
            ++counts[static_cast<size_t>(ValueAtIndex<int16_t>(in, k) + 32768)];
        return HistogramOfWholeCounts(counts.data(), bins);
    }
    case kPixelInt32:
        return IntegerHistogram<int32_t>(in, count, bins);
    case kPixelReal32:
        return RealHistogram<float>(in, count, bins);
    case kPixelReal64:
        return RealHistogram<double>(in, count, bins);
    default:
        return {};
    }
}

std::vector<uint64_t> CountsOnAxis(const TValuePlane& plane, const THistogram& axis) {
    std::vector<uint64_t> counts(axis.Counts.size(), 0);
    if (counts.empty()) return counts;
    const double bins = double(counts.size());
    const double width = axis.End - axis.Start;
    const size_t n = plane.Count();
    VisitValueType(plane.PixelType, [&](auto zero) {
        using T = decltype(zero);
        for (size_t k = 0; k < n; ++k) {
            const double v = double(PlaneValue<T>(plane, k));
            if (!std::isfinite(v)) continue;
            const double at = width > 0 ? std::floor((v - axis.Start) / width * bins) : 0;
            ++counts[size_t(std::clamp(at, 0.0, bins - 1))];
        }
    });
    return counts;
}

} // namespace orv
