#include "core/image/auto_display.h"

#include "core/image/display.h"
#include "core/image/document_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

using namespace orv;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

template <typename T>
TImageDocument Document(uint8_t pixelType, int32_t w, int32_t h, const std::vector<T>& v) {
    return image_test::MakeDocument(kKindFits, pixelType, w, h, v);
}

// The integer recipe of tests/peers/zscale_reference.py: sums of four draws of 0..999 from
// x -> (1103515245 x + 12345) mod 2^31.
std::vector<int64_t> Noise(uint64_t seed, size_t count) {
    std::vector<int64_t> v(count);
    for (int64_t& n : v) {
        n = 0;
        for (int i = 0; i < 4; ++i) {
            seed = (1103515245 * seed + 12345) % (uint64_t(1) << 31);
            n += static_cast<int64_t>(seed % 1000);
        }
    }
    return v;
}

TImageDocument Sky16() {
    const std::vector<int64_t> n = Noise(1, 200 * 150);
    std::vector<int16_t> v(n.size());
    for (size_t k = 0; k < n.size(); ++k)
        v[k] = static_cast<int16_t>(n[k] / 4 + 1000 + int64_t(k / 600) + (k % 97 == 0 ? 20000 : 0));
    return Document(kPixelInt16, 200, 150, v);
}

TImageDocument RealsWithNan() {
    const std::vector<int64_t> n = Noise(2, 123 * 77);
    std::vector<float> v(n.size());
    for (size_t k = 0; k < n.size(); ++k)
        v[k] = k % 7 == 0 ? NAN : static_cast<float>(double(n[k]) / 10 + double(k) * 0.05);
    return Document(kPixelReal32, 123, 77, v);
}

TImageDocument Saturated32() {
    const std::vector<int64_t> n = Noise(3, 500);
    std::vector<int32_t> v(n.size());
    for (size_t k = 0; k < n.size(); ++k)
        v[k] = k % 3 == 0 ? 70000 : static_cast<int32_t>(n[k] * 3 - 100);
    return Document(kPixelInt32, 20, 25, v);
}

// The median and scaled absolute deviation straight from their definition: sorted copies.
TRobustLevel SortedLevel(std::vector<double> v) {
    std::erase_if(v, [](double x) { return !std::isfinite(x); });
    TRobustLevel r;
    r.Count = v.size();
    if (v.empty()) return r;
    auto middle = [](std::vector<double>& s) {
        std::sort(s.begin(), s.end());
        return (s[(s.size() - 1) / 2] + s[s.size() / 2]) / 2;
    };
    r.Median = middle(v);
    r.Minimum = v.front();
    r.Maximum = v.back();
    for (double& x : v)
        x = std::fabs(x - r.Median);
    r.Spread = kMadToSigma * middle(v);
    return r;
}

template <typename T> std::vector<double> Values(const std::vector<T>& v) {
    return {v.begin(), v.end()};
}

} // namespace

TEST(ZScale, AgreesWithAstropyOnThreeDataSets) {
    // The numbers tests/peers/zscale_reference.py prints.
    const struct {
        const char* Name;
        TImageDocument Doc;
        double Low, High;
    } cases[] = {
        {"sky16 (the low end at the samples' minimum)", Sky16(), 1169.0, 2424.0332382898896},
        {"reals_with_nan (both ends fitted)", RealsWithNan(), 72.9000015258789, 756.5499877929688},
        {"saturated32 (fewer values than samples)", Saturated32(), 1286.0, 70000.0},
    };
    for (const auto& c : cases) {
        const auto limits = ZScaleThresholds(PlaneOf(c.Doc));
        ASSERT_TRUE(limits) << c.Name;
        EXPECT_NEAR(limits->Low, c.Low, 0.01) << c.Name;
        EXPECT_NEAR(limits->High, c.High, 0.01) << c.Name;
    }
}

TEST(RobustLevel, ExactMedianAndDeviationForEveryPixelType) {
    std::mt19937 rng(11);
    std::normal_distribution<double> sky(1200, 40);
    std::vector<int16_t> wide(1000), extremes{-32768, 32767, -32768, 5, 32767, 32767}, camera(600 * 500);
    for (int16_t& x : wide)
        x = static_cast<int16_t>(int32_t(rng() % 65536) - 32768);
    for (size_t k = 0; k < camera.size(); ++k) // a sky and saturated stars, large enough for a sample
        camera[k] = k % 211 == 0 ? 32767 : static_cast<int16_t>(std::floor(sky(rng)));
    std::vector<int32_t> big(200001); // odd, and enough values to be selected in several passes
    for (int32_t& x : big)
        x = static_cast<int32_t>(sky(rng) * 1000);
    std::vector<float> reals(300000);
    for (size_t k = 0; k < reals.size(); ++k)
        reals[k] = k % 11 == 0 ? NAN : k % 13 == 0 ? INFINITY : static_cast<float>(sky(rng));
    std::vector<double> narrow(200000), ties(100000); // 64-bit keys sharing most of their bits
    for (double& x : narrow)
        x = 1000 + sky(rng) * 1e-9;
    for (size_t k = 0; k < ties.size(); ++k)
        ties[k] = double(k % 5) - (k % 2 ? 0.25 : 0);
    // Large enough to be bracketed from a sample: whole-valued like a converted camera frame,
    // so that the middle value and the middle deviation repeat many times; and one whose
    // sample, every 9th value, sees only the dark column and misses the middle.
    std::vector<float> field(1024 * 1024), striped(600000);
    for (size_t k = 0; k < field.size(); ++k)
        field[k] = k % 997 == 0 ? NAN : k % 101 == 0 ? 30000.0f : std::round(static_cast<float>(sky(rng)));
    for (size_t k = 0; k < striped.size(); ++k)
        striped[k] = k % 9 == 0 ? -5.0f : static_cast<float>(sky(rng));
    // Sampled too, but sorted out on keys: an infinity, and 64-bit keys.
    std::vector<float> infinite(700000);
    std::vector<double> wide64(700000);
    for (size_t k = 0; k < infinite.size(); ++k) {
        infinite[k] = k == 12345 ? -INFINITY : k % 999 == 0 ? NAN : static_cast<float>(sky(rng));
        wide64[k] = k % 999 == 0 ? NAN : sky(rng);
    }
    const struct {
        const char* Name;
        TImageDocument Doc;
        std::vector<double> Values;
    } cases[] = {
        {"32-bit reals, a whole-valued star field", Document(kPixelReal32, 1024, 1024, field), Values(field)},
        {"32-bit reals, a sample that misses the middle", Document(kPixelReal32, 1000, 600, striped),
         Values(striped)},
        {"32-bit reals, sampled, with an infinity", Document(kPixelReal32, 1000, 700, infinite),
         Values(infinite)},
        {"64-bit reals, sampled", Document(kPixelReal64, 1000, 700, wide64), Values(wide64)},
        {"16-bit, even count", Document(kPixelInt16, 40, 25, wide), Values(wide)},
        {"16-bit, sampled", Document(kPixelInt16, 600, 500, camera), Values(camera)},
        {"16-bit, the two extremes", Document(kPixelInt16, 3, 2, extremes), Values(extremes)},
        {"32-bit", Document(kPixelInt32, 200001, 1, big), Values(big)},
        {"32-bit reals with NaN and infinities", Document(kPixelReal32, 600, 500, reals), Values(reals)},
        {"64-bit reals close together", Document(kPixelReal64, 400, 500, narrow), Values(narrow)},
        {"64-bit reals with many ties", Document(kPixelReal64, 1000, 100, ties), Values(ties)},
        {"64-bit reals, each middle pair in two binades",
         Document<double>(kPixelReal64, 4, 1, {4, 1, 2, 8}),
         {4, 1, 2, 8}},
    };
    for (const auto& c : cases) {
        const TRobustLevel got = RobustLevel(PlaneOf(c.Doc)), want = SortedLevel(c.Values);
        EXPECT_EQ(got.Count, want.Count) << c.Name;
        EXPECT_EQ(got.Minimum, want.Minimum) << c.Name;
        EXPECT_EQ(got.Maximum, want.Maximum) << c.Name;
        EXPECT_EQ(got.Median, want.Median) << c.Name;
        EXPECT_EQ(got.Spread, want.Spread) << c.Name;
    }
}

TEST(MtfDisplay, TheMedianShowsAtLevel64) {
    // Odd counts, so that the median is one of the values; a few bright outliers.
    std::mt19937 rng(5);
    std::normal_distribution<double> sky(800, 25);
    std::vector<int16_t> i16(4001);
    std::vector<float> f32(4001);
    std::vector<int32_t> i32(4001);
    for (size_t k = 0; k < i16.size(); ++k) {
        const double v = k % 500 == 0 ? 30000 : sky(rng);
        i16[k] = static_cast<int16_t>(v);
        i32[k] = static_cast<int32_t>(v * 100);
        f32[k] = static_cast<float>(v);
    }
    f32[7] = f32[8] = NAN; // still an odd count of finite values
    for (TImageDocument doc : {Document(kPixelInt16, 4001, 1, i16), Document(kPixelInt32, 4001, 1, i32),
                               Document(kPixelReal32, 4001, 1, f32)}) {
        ApplyAutoDisplay(doc, TAutoDisplay::Mtf);
        ASSERT_EQ(doc.DisplayFunction, TDisplayFunction::Mtf);
        Render(doc);
        const TRobustLevel level = RobustLevel(PlaneOf(doc));
        size_t at = 0; // a pixel holding the median
        for (; at < 4001; ++at) {
            double v = 0;
            VisitValueType(doc.PixelType,
                           [&](auto zero) { v = PlaneValue<decltype(zero)>(PlaneOf(doc), at); });
            if (v == level.Median) break;
        }
        ASSERT_LT(at, 4001u) << int(doc.PixelType);
        EXPECT_EQ(doc.DisplayStream[1078 + at], 64) << "pixel type " << int(doc.PixelType);
    }
}

TEST(AutoDisplay, BadInputGivesDefinedThresholds) {
    // Thresholds the data's extremes or the file's, never NaN; Mtf's levels: 0 between equal
    // thresholds, and with a balance of 0 (the median at the low threshold) 255 above it.
    const struct {
        const char* Name;
        TImageDocument Doc;
        double ZLow, ZHigh, MtfLow, MtfHigh, Balance;
        std::vector<uint8_t> MtfLevels;
    } cases[] = {
        {"constant", Document<int16_t>(kPixelInt16, 3, 2, {7, 7, 7, 7, 7, 7}), 7, 7, 7, 7, 0.5, {0, 0, 0}},
        {"one value and NaN",
         Document<double>(kPixelReal64, 3, 1, {kNaN, 5, kNaN}),
         5,
         5,
         5,
         5,
         0.5,
         {0, 0, 0}},
        {"no finite value: the file's thresholds",
         Document<double>(kPixelReal64, 2, 1, {kNaN, INFINITY}),
         2.5,
         12.5,
         2.5,
         12.5,
         0.5,
         {0, 255}},
        {"absolute deviation 0",
         Document<int16_t>(kPixelInt16, 7, 1, {5, 5, 100, 5, 5, 6, 5}),
         5,
         100,
         5,
         100,
         0,
         {0, 0, 255, 0, 0, 255, 0}},
    };
    for (const auto& c : cases) {
        for (const TAutoDisplay mode : {TAutoDisplay::ZScale, TAutoDisplay::Mtf}) {
            TImageDocument doc = c.Doc;
            doc.LowThreshold = 2.5;
            doc.HighThreshold = 12.5;
            ApplyAutoDisplay(doc, mode);
            const bool mtf = mode == TAutoDisplay::Mtf;
            EXPECT_EQ(doc.LowThreshold, mtf ? c.MtfLow : c.ZLow) << c.Name << " " << AutoDisplayName(mode);
            EXPECT_EQ(doc.HighThreshold, mtf ? c.MtfHigh : c.ZHigh) << c.Name << " " << AutoDisplayName(mode);
            EXPECT_EQ(doc.MidtonesBalance, mtf ? c.Balance : kNeutralMidtones) << c.Name;
            if (!mtf) continue;
            Render(doc);
            for (size_t k = 0; k < c.MtfLevels.size(); ++k)
                EXPECT_EQ(doc.DisplayStream[1078 + k], c.MtfLevels[k]) << c.Name << " pixel " << k;
        }
    }
}
