#include "core/image/zoomed_view.h"

#include "core/image/display_settings.h"
#include "core/image/zoom.h"
#include "core/text/rounding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <utility>

namespace orv {

namespace {

template <typename T> T ReadValue(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof(T));
    return v;
}

// Rounds half to even without a library call: adding and taking away 1.5 x 2^52 leaves no
// fraction bits, so the sum is rounded in the default mode (to nearest, ties to even). Exact
// for averages: a quotient of two whole numbers this small is a tie only when it is one.
inline double NearestEven(double v) {
    constexpr double kShift = 6755399441055744.0;
    return (v + kShift) - kShift; // never folded: IEEE arithmetic is not reassociated
}

// Column sums wide enough for n rows of T (16-bit values: 16 x 16 of them fit in 32 bits).
template <typename T>
using TColumnSum = std::conditional_t<std::is_floating_point_v<T>, double,
                                      std::conditional_t<sizeof(T) == 2, int32_t, int64_t>>;

// The sums of `blocks` whole blocks of N columns: N known to the compiler, so the short inner
// loop unrolls.
template <typename TSum, size_t N> void SumBlocks(const TSum* sums, size_t blocks, double* out) {
    for (size_t b = 0; b < blocks; ++b) {
        TSum sum{};
        for (size_t j = 0; j < N; ++j)
            sum += sums[b * N + j];
        out[b] = static_cast<double>(sum);
    }
}

// Adds `count` values of a stored row to the column sums. Whole runs of 16 have a trip count
// the compiler knows, so g++ vectorises them at -O2, whose cost model leaves a loop of unknown
// length with a tail scalar.
template <typename T, typename TSum>
void AddRow(TSum* __restrict sums, const uint8_t* __restrict row, size_t count) {
    constexpr size_t kRun = 16;
    size_t x = 0;
    for (; x + kRun <= count; x += kRun) {
        T values[kRun];
        std::memcpy(values, row + x * sizeof(T), sizeof values);
        for (size_t j = 0; j < kRun; ++j)
            sums[x + j] += values[j];
    }
    for (; x < count; ++x)
        sums[x] += ReadValue<T>(row + x * sizeof(T));
}

template <typename TSum, size_t... N> constexpr auto SumBlocksTable(std::index_sequence<N...>) {
    return std::array<void (*)(const TSum*, size_t, double*), sizeof...(N)>{&SumBlocks<TSum, N + 1>...};
}

// Stored rows are bottom-up while blocks start at the picture's top-left: view stored row k
// gathers the document's stored rows [max(0, H - (Hv - k) n), H - 1 - (Hv - 1 - k) n]. The
// rows of a block are summed column by column first (contiguous, so the compiler vectorises
// it), then each block's columns once per view row.
template <typename T> void AverageValues(const TImageDocument& doc, int32_t n, TImageDocument& view) {
    using TSum = TColumnSum<T>;
    constexpr bool kReal = std::is_floating_point_v<T>;
    const size_t w = static_cast<size_t>(doc.ImageWidth), h = static_cast<size_t>(doc.ImageHeight);
    const size_t vw = static_cast<size_t>(view.ImageWidth), vh = static_cast<size_t>(view.ImageHeight);
    const size_t step = static_cast<size_t>(n);
    const size_t available = std::min(doc.PixelStore.size() / sizeof(T), w * h);
    std::vector<TSum> sums(w);
    std::vector<uint32_t> counts(kReal ? w : 0); // values that are not NaN, per column
    std::vector<double> blockSums(vw), blockCounts(vw);
    std::vector<T> averages(vw);
    view.PixelStore.assign(vw * vh * sizeof(T), 0);
    size_t reached = 0; // view values that hold data, in stored order
    const uint8_t* in = doc.PixelStore.data();
    for (size_t k = 0; k < vh; ++k) {
        const size_t top = h - 1 - (vh - 1 - k) * step;
        const size_t bottom = top + 1 >= step ? top + 1 - step : 0;
        if (bottom * w >= available) break;
        std::fill(sums.begin(), sums.end(), TSum{});
        if constexpr (kReal) std::fill(counts.begin(), counts.end(), 0u);
        size_t fullRows = 0, partialEnd = 0; // a short store ends inside one row at most
        for (size_t s = bottom; s <= top; ++s) {
            const size_t first = s * w;
            if (first >= available) break;
            const size_t end = std::min(w, available - first);
            if (end == w)
                ++fullRows;
            else
                partialEnd = end;
            const uint8_t* row = in + first * sizeof(T);
            TSum* sum = sums.data();
            if constexpr (kReal) {
                uint32_t* count = counts.data();
                for (size_t x = 0; x < end; ++x) {
                    const T v = ReadValue<T>(row + x * sizeof(T));
                    const bool number = !std::isnan(v);
                    sum[x] += number ? v : T{};
                    count[x] += number;
                }
            } else {
                AddRow<T>(sum, row, end);
            }
        }
        // Each block's sum and count, then the averages in plain loops.
        // The blocks whose first value the store holds (bottom * w < available, checked above).
        const size_t blocks = std::min(vw, (available - bottom * w + step - 1) / step);
        size_t whole = 0; // blocks summed by the fast path: full width, every row whole
        T* dst = averages.data();
        if (!kReal && partialEnd == 0) {
            static constexpr auto kSumBlocks =
                SumBlocksTable<TSum>(std::make_index_sequence<kMaxZoomFactor>());
            whole = std::min(blocks, w / step);
            kSumBlocks[step - 1](sums.data(), whole, blockSums.data());
            // One count for them all. A power of two divides exactly as its reciprocal multiplies.
            const size_t count = fullRows * step;
            const double divisor = static_cast<double>(count);
            if ((count & (count - 1)) == 0) {
                const double reciprocal = 1 / divisor;
                for (size_t b = 0; b < whole; ++b)
                    dst[b] = static_cast<T>(NearestEven(blockSums[b] * reciprocal));
            } else {
                for (size_t b = 0; b < whole; ++b)
                    dst[b] = static_cast<T>(NearestEven(blockSums[b] / divisor));
            }
        }
        for (size_t b = whole; b < blocks; ++b) {
            const size_t x0 = b * step, x1 = std::min(w, x0 + step);
            TSum sum{};
            for (size_t x = x0; x < x1; ++x)
                sum += sums[x];
            blockSums[b] = static_cast<double>(sum);
            if constexpr (kReal) {
                uint32_t count = 0;
                for (size_t x = x0; x < x1; ++x)
                    count += counts[x];
                blockCounts[b] = count;
            } else {
                blockCounts[b] = static_cast<double>(fullRows * (x1 - x0) +
                                                     (std::min(x1, partialEnd) - std::min(x0, partialEnd)));
            }
        }
        for (size_t b = whole; b < blocks; ++b) {
            if constexpr (kReal)
                dst[b] =
                    blockCounts[b] != 0 ? static_cast<T>(blockSums[b] / blockCounts[b]) : static_cast<T>(NAN);
            else
                dst[b] = static_cast<T>(NearestEven(blockSums[b] / blockCounts[b]));
        }
        std::memcpy(view.PixelStore.data() + k * vw * sizeof(T), dst, blocks * sizeof(T));
        if (blocks > 0) reached = k * vw + blocks;
    }
    view.PixelStore.resize(reached * sizeof(T));
}

} // namespace

TImageDocument AveragedDocument(const TImageDocument& doc, int32_t n) {
    TImageDocument view;
    view.Kind = doc.Kind;
    view.PixelType = doc.PixelType;
    n = std::clamp(n, 1, kMaxZoomFactor);
    const TSize size = ViewSize({doc.ImageWidth, doc.ImageHeight}, TZoom{1, n});
    view.ImageWidth = size.Width;
    view.ImageHeight = size.Height;
    ApplyDisplaySettings(view, DisplaySettingsOf(doc));
    if (size.Width == 0 || size.Height == 0) return view;
    VisitValueType(doc.PixelType, [&](auto zero) { AverageValues<decltype(zero)>(doc, n, view); });
    return view;
}

const std::vector<uint8_t>& TAveragedView::DisplayStream(const TImageDocument& doc, int32_t n) {
    if (factor_ != n || source_ != &doc || sourceData_ != doc.PixelStore.data() ||
        sourceBytes_ != doc.PixelStore.size() || view_.PixelType != doc.PixelType) {
        view_ = AveragedDocument(doc, n);
        factor_ = n;
        source_ = &doc;
        sourceData_ = doc.PixelStore.data();
        sourceBytes_ = doc.PixelStore.size();
    }
    ApplyDisplaySettings(view_, DisplaySettingsOf(doc));
    Render(view_);
    return view_.DisplayStream;
}

void AverageChannels(const uint8_t* src, TSize size, size_t srcStride, int32_t channels, int32_t n,
                     uint8_t* dst, size_t dstStride) {
    const TSize view = ViewSize(size, TZoom{1, n});
    const size_t c = static_cast<size_t>(channels);
    std::vector<uint32_t> sums(static_cast<size_t>(view.Width) * c);
    for (int32_t vy = 0; vy < view.Height; ++vy) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int32_t y0 = vy * n, y1 = std::min(size.Height, y0 + n);
        for (int32_t y = y0; y < y1; ++y) {
            const uint8_t* row = src + static_cast<size_t>(y) * srcStride;
            for (int32_t x = 0; x < size.Width; ++x)
                for (size_t i = 0; i < c; ++i)
                    sums[static_cast<size_t>(x / n) * c + i] += row[static_cast<size_t>(x) * c + i];
        }
        uint8_t* out = dst + static_cast<size_t>(vy) * dstStride;
        for (int32_t vx = 0; vx < view.Width; ++vx) {
            const int32_t count = (std::min(size.Width, vx * n + n) - vx * n) * (y1 - y0);
            for (size_t i = 0; i < c; ++i)
                out[static_cast<size_t>(vx) * c + i] = static_cast<uint8_t>(
                    RoundHalfEven(static_cast<double>(sums[static_cast<size_t>(vx) * c + i]) / count));
        }
    }
}

void RepeatRegion(const uint8_t* src, TSize size, size_t srcStride, int32_t bytesPerPixel, int32_t n,
                  int32_t left, int32_t top, TSize region, uint8_t* dst, size_t dstStride) {
    const TSize view = ViewSize(size, TZoom{n, 1});
    const int32_t right = std::min(view.Width, left + region.Width);
    const int32_t bottom = std::min(view.Height, top + region.Height);
    if (left < 0 || top < 0 || right <= left) return;
    const size_t bpp = static_cast<size_t>(bytesPerPixel);
    for (int32_t y = top; y < bottom; ++y) {
        uint8_t* out = dst + static_cast<size_t>(y - top) * dstStride;
        if (y > top && y / n == (y - 1) / n) {
            // The same image row as the line above: copy it.
            std::memcpy(out, out - dstStride, static_cast<size_t>(right - left) * bpp);
            continue;
        }
        const uint8_t* row = src + static_cast<size_t>(y / n) * srcStride;
        for (int32_t x = left; x < right; ++x)
            std::memcpy(out + static_cast<size_t>(x - left) * bpp, row + static_cast<size_t>(x / n) * bpp,
                        bpp);
    }
}

} // namespace orv
