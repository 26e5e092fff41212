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

// A level is round((v - low) * 255 / (high - low)) saturated to 0..255 by the packs; the
// thresholds are bounded so that the products never leave the int32 range. Three ways to
// compute it in floats:
//  Plain: (v - low) * scale. Exact enough for most thresholds.
//  Exact: for whole thresholds, (v - low) * 255 is an exact float and one correction step
//         gives the correctly rounded quotient, so ties are exact and go to even.
//  Check: Plain, but values whose product lies within kNearHalf of a half are taken from
//         the table, since float rounding could go the other way there.
// Each kernel handles whole groups and returns how many values it did.
enum class TMode { Plain, Exact, Check };
constexpr float kNearHalf = 1.0f / 1024;

// Params: low, scale, -255 * low, high - low, 1 / (high - low).
enum { kLow, kScale, kOffset, kSpan, kInverse, kParams };

inline void FixNearHalves(uint32_t mask, const uint8_t* src, uint8_t* out, const uint8_t* level) {
    while (mask != 0) {
        const int j = __builtin_ctz(mask);
        out[j] = level[src[2 * j] | (src[2 * j + 1] << 8)];
        mask &= mask - 1;
    }
}

template <TMode Mode>
size_t KernelSse2(const uint8_t* src, size_t n, uint8_t* out, const float* p, const uint8_t* level) {
    static_assert(Mode != TMode::Exact, "needs FMA");
    const __m128 low = _mm_set1_ps(p[kLow]), scale = _mm_set1_ps(p[kScale]);
    const __m128 nearHalf = _mm_set1_ps(0.5f - kNearHalf);
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    uint32_t mask = 0;
    // Levels of four values; their near-half flags go to `mask` from bit `shift`.
    auto levels = [&](__m128i v32, int shift) {
        const __m128 y = _mm_mul_ps(_mm_sub_ps(_mm_cvtepi32_ps(v32), low), scale);
        const __m128i r = _mm_cvtps_epi32(y);
        if constexpr (Mode == TMode::Check) {
            const __m128 d = _mm_and_ps(_mm_sub_ps(y, _mm_cvtepi32_ps(r)), absMask);
            mask |= uint32_t(_mm_movemask_ps(_mm_cmpgt_ps(d, nearHalf))) << shift;
        }
        return r;
    };
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i + 16));
        const __m128i sa = _mm_srai_epi16(a, 15), sb = _mm_srai_epi16(b, 15);
        mask = 0;
        const __m128i la =
            _mm_packs_epi32(levels(_mm_unpacklo_epi16(a, sa), 0), levels(_mm_unpackhi_epi16(a, sa), 4));
        const __m128i lb =
            _mm_packs_epi32(levels(_mm_unpacklo_epi16(b, sb), 8), levels(_mm_unpackhi_epi16(b, sb), 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(la, lb));
        if (Mode == TMode::Check && mask != 0) FixNearHalves(mask, src + 2 * i, out + i, level);
    }
    return i;
}

template <TMode Mode>
__attribute__((target("avx2,fma"))) size_t KernelAvx2(const uint8_t* src, size_t n, uint8_t* out,
                                                      const float* p, const uint8_t* level) {
    const __m256 low = _mm256_set1_ps(p[kLow]), scale = _mm256_set1_ps(p[kScale]);
    const __m256 offset = _mm256_set1_ps(p[kOffset]), span = _mm256_set1_ps(p[kSpan]);
    const __m256 inverse = _mm256_set1_ps(p[kInverse]), c255 = _mm256_set1_ps(255.0f);
    const __m256 nearHalf = _mm256_set1_ps(0.5f - kNearHalf);
    const __m256 absMask = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
    uint32_t mask = 0;
    auto levels = [&](__m128i v16, int shift) __attribute__((target("avx2,fma"))) {
        const __m256 v = _mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(v16));
        if constexpr (Mode == TMode::Exact) {
            const __m256 a = _mm256_fmadd_ps(v, c255, offset); // (v - low) * 255, exact
            const __m256 q = _mm256_mul_ps(a, inverse);
            const __m256 rest = _mm256_fnmadd_ps(q, span, a); // a - q * span, exact
            return _mm256_cvtps_epi32(_mm256_fmadd_ps(rest, inverse, q));
        } else {
            const __m256 y = _mm256_mul_ps(_mm256_sub_ps(v, low), scale);
            const __m256i r = _mm256_cvtps_epi32(y);
            if constexpr (Mode == TMode::Check) {
                const __m256 d = _mm256_and_ps(_mm256_sub_ps(y, _mm256_cvtepi32_ps(r)), absMask);
                mask |= uint32_t(_mm256_movemask_ps(_mm256_cmp_ps(d, nearHalf, _CMP_GT_OQ))) << shift;
            }
            return r;
        }
    };
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * i + 32));
        mask = 0;
        // packs work within 128-bit lanes: put the quarters back in order after each.
        const __m256i la = _mm256_packs_epi32(levels(_mm256_castsi256_si128(a), 0),
                                              levels(_mm256_extracti128_si256(a, 1), 8));
        const __m256i lb = _mm256_packs_epi32(levels(_mm256_castsi256_si128(b), 16),
                                              levels(_mm256_extracti128_si256(b, 1), 24));
        const __m256i bytes =
            _mm256_packus_epi16(_mm256_permute4x64_epi64(la, 0xD8), _mm256_permute4x64_epi64(lb, 0xD8));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_permute4x64_epi64(bytes, 0xD8));
        if (Mode == TMode::Check && mask != 0) FixNearHalves(mask, src + 2 * i, out + i, level);
    }
    return i;
}

#endif

} // namespace

TInt16LevelMapper::TInt16LevelMapper(const uint8_t* level, double low, double high, bool linear)
    : Level(level) {
    if (!linear) return;
#ifdef ORV_LEVEL_KERNELS
    // |v - low| * |scale| must stay well inside the int32 range for every 16-bit v.
    if (!std::isfinite(low) || !std::isfinite(high) || low == high) return;
    if (std::fabs(low) > 65536 || std::fabs(high) > 65536 || std::fabs(high - low) < 1.0 / 64) return;
    Params[kLow] = static_cast<float>(low);
    Params[kScale] = static_cast<float>(255.0 / (high - low));
    Params[kOffset] = static_cast<float>(-255.0 * low);
    Params[kSpan] = static_cast<float>(high - low);
    Params[kInverse] = static_cast<float>(1.0 / (high - low));
    // Every possible value, as the kernels read them; made once.
    static const std::vector<uint8_t> all = [] {
        std::vector<uint8_t> v(65536 * 2);
        for (size_t u = 0; u < 65536; ++u) {
            v[2 * u] = static_cast<uint8_t>(u);
            v[2 * u + 1] = static_cast<uint8_t>(u >> 8);
        }
        return v;
    }();
    static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    const bool whole = low == std::floor(low) && high == std::floor(high);
    // The cheapest kernel that gives the table's levels for these thresholds.
    std::vector<TKernel> kernels;
    if (avx2) {
        kernels.push_back(KernelAvx2<TMode::Plain>);
        if (whole) kernels.push_back(KernelAvx2<TMode::Exact>);
        kernels.push_back(KernelAvx2<TMode::Check>);
    } else {
        kernels = {KernelSse2<TMode::Plain>, KernelSse2<TMode::Check>};
    }
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
    for (; done < n; ++done) {
        uint16_t value; // little-endian, as the machine: one load per value
        std::memcpy(&value, src + 2 * done, 2);
        out[done] = Level[value];
    }
}

} // namespace orv
