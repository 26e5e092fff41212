#include "core/image/star_count.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <type_traits>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace orv {

namespace {

#if defined(__SSE2__)
// Two mask bits per 16-bit value from x on: the values above are tested one by one.
template <typename Test> void TestAbove(uint32_t mask, size_t x, const Test& test) {
    for (mask &= 0x55555555u; mask != 0; mask &= mask - 1)
        test(x + size_t(std::countr_zero(mask)) / 2);
}

// The maxima of a row from x to before end, sixteen values at a time, all eight neighbours
// compared without a branch per value: the values above the limit are mostly a star's flanks,
// whose outcome no branch would guess. Leaves x where it stopped.
__attribute__((target("avx2"), always_inline)) inline __m256i LoadAvx2(const uint8_t* row, std::ptrdiff_t k) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 2 * k));
}
__attribute__((target("avx2"))) int64_t MaximaAvx2(const uint8_t* row, size_t w, size_t& x, size_t end,
                                                   int16_t above) {
    const __m256i limit = _mm256_set1_epi16(above);
    int64_t stars = 0;
    for (; x + 16 <= end; x += 16) {
        const __m256i v = LoadAvx2(row, std::ptrdiff_t(x));
        // Read ahead: the hardware's prefetch alone leaves this loop waiting on memory.
        _mm_prefetch(reinterpret_cast<const char*>(row + 2 * x) + 4096, _MM_HINT_T0);
        __m256i m = _mm256_cmpgt_epi16(v, limit);
        if (_mm256_testz_si256(m, m)) continue; // most of the sky
        // Above the neighbours before in stored order, at least those after.
        const auto up = std::ptrdiff_t(x) - std::ptrdiff_t(w), down = std::ptrdiff_t(x + w),
                   here = std::ptrdiff_t(x);
        m = _mm256_and_si256(m, _mm256_and_si256(_mm256_cmpgt_epi16(v, LoadAvx2(row, here - 1)),
                                                 _mm256_cmpgt_epi16(v, LoadAvx2(row, up - 1))));
        m = _mm256_and_si256(m, _mm256_and_si256(_mm256_cmpgt_epi16(v, LoadAvx2(row, up)),
                                                 _mm256_cmpgt_epi16(v, LoadAvx2(row, up + 1))));
        m = _mm256_andnot_si256(_mm256_or_si256(_mm256_cmpgt_epi16(LoadAvx2(row, here + 1), v),
                                                _mm256_cmpgt_epi16(LoadAvx2(row, down - 1), v)),
                                m);
        m = _mm256_andnot_si256(_mm256_or_si256(_mm256_cmpgt_epi16(LoadAvx2(row, down), v),
                                                _mm256_cmpgt_epi16(LoadAvx2(row, down + 1), v)),
                                m);
        stars += std::popcount(static_cast<uint32_t>(_mm256_movemask_epi8(m))) / 2;
    }
    return stars;
}
#endif

template <typename T>
int64_t CountMaxima(const TValuePlane& plane, double threshold, std::span<const size_t> starts = {},
                    size_t runLength = 0) {
    const size_t w = static_cast<size_t>(plane.Width);
    const size_t rows = plane.Count() / w; // whole rows only
    if (w < 3 || rows < 3) return 0;
    // Whole values compare exactly as whole numbers: v > threshold when v > floor(threshold)
    // (the least value is never a maximum, so a threshold below it may stand at it).
    using TCompare = std::conditional_t<std::is_integral_v<T>, int64_t, double>;
    if (std::is_integral_v<T> && !(threshold < 0x1p62)) return 0;
    const auto limit =
        static_cast<TCompare>(std::is_integral_v<T> ? std::max(std::floor(threshold), -0x1p62) : threshold);
    const auto value = [&](size_t k) { return static_cast<TCompare>(PlaneValue<T>(plane, k)); };
    int64_t stars = 0;
    const auto testAt = [&](size_t at, size_t x) {
        const TCompare v = value(at + x);
        if (!(v > limit)) return; // most pixels: the sky
        const size_t up = at - w + x, down = at + w + x;
        // All eight compares without a branch: the pixels tested are mostly a star's flanks,
        // whose outcome no branch would guess.
        stars += (v > value(at + x - 1)) & (v > value(up - 1)) & (v > value(up)) & (v > value(up + 1)) &
                 (v >= value(at + x + 1)) & (v >= value(down - 1)) & (v >= value(down)) &
                 (v >= value(down + 1));
    };
    // The values of one row at, from x to before end.
    const auto pass = [&](size_t at, size_t x, size_t end) {
        const auto test = [&](size_t x) { testAt(at, x); };
#if defined(__SSE2__)
        // 16-bit rows: sixteen or eight values at a time are passed over when none is above the limit.
        if constexpr (std::is_same_v<T, int16_t>) {
            const auto above = static_cast<int16_t>(std::clamp<TCompare>(limit, -32768, 32767));
            const uint8_t* row = plane.Store.data() + 2 * at;
            static const bool avx2 = __builtin_cpu_supports("avx2");
            if (avx2) stars += MaximaAvx2(row, w, x, end, above);
            for (; x + 8 <= end; x += 8) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 2 * x));
                TestAbove(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpgt_epi16(v, _mm_set1_epi16(above)))),
                          x, test);
            }
        }
#endif
        for (; x < end; ++x)
            test(x);
    };
    if (runLength > 0) {
        for (const size_t start : starts)
            for (size_t k = std::max(start, w), stop = std::min(start + runLength, (rows - 1) * w);
                 k < stop;) {
                const size_t at = k - k % w, end = std::min(stop - at, w - 1);
                pass(at, std::max<size_t>(k - at, 1), end);
                k = at + w;
            }
        return stars;
    }
    for (size_t r = 1; r + 1 < rows; ++r)
        pass(r * w, 1, w - 1);
    return stars;
}

} // namespace

int64_t CountStarsIn(const TValuePlane& plane, double threshold, std::span<const size_t> starts,
                     size_t runLength) {
    if (std::isnan(threshold) || plane.Width <= 0 || runLength == 0) return 0;
    int64_t stars = 0;
    VisitValueType(plane.PixelType, [&](auto zero) {
        stars = CountMaxima<decltype(zero)>(plane, threshold, starts, runLength);
    });
    return stars;
}

int64_t CountStars(const TValuePlane& plane, double threshold) {
    if (std::isnan(threshold) || plane.Width <= 0) return 0;
    int64_t stars = 0;
    VisitValueType(plane.PixelType,
                   [&](auto zero) { stars = CountMaxima<decltype(zero)>(plane, threshold); });
    return stars;
}

} // namespace orv
