#include "core/image/level_kernel.h"

#include <cmath>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ORV_LEVEL_KERNELS 1
#endif

namespace orv {

namespace {

#ifdef ORV_LEVEL_KERNELS

// level = round((clamp(v) - low) * scale), saturated to 0..255 by the packs. The product is
// a float: where it lies within kNearHalf of a half, float rounding could go the other way
// than the exact one (ties go to even), so those few values are taken from the table.
// Each kernel handles whole groups and returns how many values it did.
constexpr float kNearHalf = 1.0f / 1024;

inline void FixNearHalves(uint32_t mask, const uint8_t* src, uint8_t* out, const uint8_t* level) {
    while (mask != 0) {
        const int j = __builtin_ctz(mask);
        out[j] = level[src[2 * j] | (src[2 * j + 1] << 8)];
        mask &= mask - 1;
    }
}

template <bool Check>
size_t KernelSse2(const uint8_t* src, size_t n, uint8_t* out, const float* p, const uint8_t* level) {
    const __m128 low = _mm_set1_ps(p[0]), scale = _mm_set1_ps(p[1]);
    const __m128 nearHalf = _mm_set1_ps(0.5f - kNearHalf),
                 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128i lo = _mm_set1_epi16(static_cast<int16_t>(p[2])),
                  hi = _mm_set1_epi16(static_cast<int16_t>(p[3]));
    uint32_t mask = 0;
    // Levels of four values; their near-half flags go to `mask` from bit `shift`.
    auto levels = [&](__m128i v32, int shift) {
        const __m128 y = _mm_mul_ps(_mm_sub_ps(_mm_cvtepi32_ps(v32), low), scale);
        const __m128i r = _mm_cvtps_epi32(y);
        if constexpr (Check) {
            const __m128 d = _mm_and_ps(_mm_sub_ps(y, _mm_cvtepi32_ps(r)), absMask);
            mask |= uint32_t(_mm_movemask_ps(_mm_cmpgt_ps(d, nearHalf))) << shift;
        }
        return r;
    };
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i + 16));
        a = _mm_min_epi16(_mm_max_epi16(a, lo), hi);
        b = _mm_min_epi16(_mm_max_epi16(b, lo), hi);
        const __m128i sa = _mm_srai_epi16(a, 15), sb = _mm_srai_epi16(b, 15);
        mask = 0;
        const __m128i la =
            _mm_packs_epi32(levels(_mm_unpacklo_epi16(a, sa), 0), levels(_mm_unpackhi_epi16(a, sa), 4));
        const __m128i lb =
            _mm_packs_epi32(levels(_mm_unpacklo_epi16(b, sb), 8), levels(_mm_unpackhi_epi16(b, sb), 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(la, lb));
        if (Check && mask != 0) FixNearHalves(mask, src + 2 * i, out + i, level);
    }
    return i;
}

template <bool Check>
__attribute__((target("avx2"))) size_t KernelAvx2(const uint8_t* src, size_t n, uint8_t* out, const float* p,
                                                  const uint8_t* level) {
    const __m256 low = _mm256_set1_ps(p[0]), scale = _mm256_set1_ps(p[1]);
    const __m256 nearHalf = _mm256_set1_ps(0.5f - kNearHalf);
    const __m256 absMask = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
    const __m256i lo = _mm256_set1_epi16(static_cast<int16_t>(p[2]));
    const __m256i hi = _mm256_set1_epi16(static_cast<int16_t>(p[3]));
    uint32_t mask = 0;
    auto levels = [&](__m128i v16, int shift) __attribute__((target("avx2"))) {
        const __m256 y =
            _mm256_mul_ps(_mm256_sub_ps(_mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(v16)), low), scale);
        const __m256i r = _mm256_cvtps_epi32(y);
        if constexpr (Check) {
            const __m256 d = _mm256_and_ps(_mm256_sub_ps(y, _mm256_cvtepi32_ps(r)), absMask);
            mask |= uint32_t(_mm256_movemask_ps(_mm256_cmp_ps(d, nearHalf, _CMP_GT_OQ))) << shift;
        }
        return r;
    };
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * i));
        __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * i + 32));
        a = _mm256_min_epi16(_mm256_max_epi16(a, lo), hi);
        b = _mm256_min_epi16(_mm256_max_epi16(b, lo), hi);
        mask = 0;
        // packs work within 128-bit lanes: put the quarters back in order after each.
        const __m256i la =
            _mm256_permute4x64_epi64(_mm256_packs_epi32(levels(_mm256_castsi256_si128(a), 0),
                                                        levels(_mm256_extracti128_si256(a, 1), 8)),
                                     0xD8);
        const __m256i lb =
            _mm256_permute4x64_epi64(_mm256_packs_epi32(levels(_mm256_castsi256_si128(b), 16),
                                                        levels(_mm256_extracti128_si256(b, 1), 24)),
                                     0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                            _mm256_permute4x64_epi64(_mm256_packus_epi16(la, lb), 0xD8));
        if (Check && mask != 0) FixNearHalves(mask, src + 2 * i, out + i, level);
    }
    return i;
}

#endif

} // namespace

TInt16LevelMapper::TInt16LevelMapper(const uint8_t* level, double low, double high) : Level(level) {
#ifdef ORV_LEVEL_KERNELS
    if (!std::isfinite(low) || !std::isfinite(high) || low == high) return;
    const double scale = 255.0 / (high - low);
    // Values beyond the thresholds all give 0 or 255: clamping them keeps products small.
    const double below = std::floor(std::fmin(low, high)) - 1, above = std::ceil(std::fmax(low, high)) + 1;
    if (!(std::fabs(scale) < 1e6) || std::fabs(low) > 1e6 || std::fabs(high) > 1e6) return;
    Params[0] = static_cast<float>(low);
    Params[1] = static_cast<float>(scale);
    Params[2] = static_cast<float>(std::fmax(below, -32768));
    Params[3] = static_cast<float>(std::fmin(above, 32767));
    // Every possible value, as the kernels read them; made once.
    static const std::vector<uint8_t> all = [] {
        std::vector<uint8_t> v(65536 * 2);
        for (size_t u = 0; u < 65536; ++u) {
            v[2 * u] = static_cast<uint8_t>(u);
            v[2 * u + 1] = static_cast<uint8_t>(u >> 8);
        }
        return v;
    }();
    const bool avx2 = __builtin_cpu_supports("avx2");
    // The kernel without the near-half check when it is exact for these thresholds.
    const TKernel kernels[2] = {avx2 ? KernelAvx2<false> : KernelSse2<false>,
                                avx2 ? KernelAvx2<true> : KernelSse2<true>};
    uint8_t got[65536];
    for (TKernel kernel : kernels) {
        if (kernel(all.data(), 65536, got, Params, level) == 65536 && std::memcmp(got, level, 65536) == 0) {
            Kernel = kernel;
            return;
        }
    }
#else
    (void)low, (void)high;
#endif
}

void TInt16LevelMapper::Map(const uint8_t* src, size_t n, uint8_t* out) const {
    size_t done = Kernel ? Kernel(src, n, out, Params, Level) : 0;
    for (; done < n; ++done)
        out[done] = Level[src[2 * done] | (src[2 * done + 1] << 8)];
}

} // namespace orv
