#include "core/image/histogram.h"
#include "core/image/statistics.h"

#include "core/image/document_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace orv;

namespace {

// 1000 values a, 999 values b and one outlier: the outlier goes beyond the bulk.
template <typename T> std::vector<T> BulkAndOutlier(T a, T b, T outlier) {
    std::vector<T> values(1000, a);
    values.insert(values.end(), 999, b);
    values.push_back(outlier);
    return values;
}

} // namespace

TEST(Histogram, KnownImages) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* What;
        TImageDocument Doc;
        int32_t Bins;
        double Start, End;
        std::vector<std::pair<size_t, uint64_t>> NonZero; // bin, count
        size_t BinCount;
    } cases[] = {
        // -5..300 is 306 whole values: bins two values wide, the axis half a unit around them.
        {"16-bit",
         image_test::MakeDocument<int16_t>(kKindFits, kPixelInt16, 5, 1, {10, 10, 11, 300, -5}),
         256,
         -5.5,
         300.5,
         {{0, 1}, {7, 2}, {8, 1}, {152, 1}},
         153},
        {"16-bit, fewer values than bins",
         image_test::MakeDocument<int16_t>(kKindPic, kPixelInt16, 3, 1, {7, 9, 9}),
         256,
         6.5,
         9.5,
         {{0, 1}, {2, 2}},
         3},
        {"32-bit beyond 16 bits",
         image_test::MakeDocument<int32_t>(kKindFits, kPixelInt32, 2, 1, {-100000, 100000}),
         4,
         -100000.5,
         100003.5,
         {{0, 1}, {3, 1}},
         4},
        // Reals: the maximum in the last bin; NaN and infinities left out.
        {"reals",
         image_test::MakeDocument<double>(kKindFits, kPixelReal64, 6, 1, {0, 0.5, 1, std::nan(""), inf, 0.3}),
         4,
         0,
         1,
         {{0, 1}, {1, 1}, {2, 1}, {3, 1}},
         4},
        {"one real value",
         image_test::MakeDocument<float>(kKindFits, kPixelReal32, 2, 1, {2.f, 2.f}),
         256,
         1.5,
         2.5,
         {{0, 2}},
         1},
        // The axis follows the bulk; a thousandth of the values at each end count in the end bins.
        {"16-bit, a hot pixel",
         image_test::MakeDocument<int16_t>(kKindFits, kPixelInt16, 2000, 1,
                                           BulkAndOutlier<int16_t>(100, 101, 30000)),
         256,
         99.5,
         101.5,
         {{0, 1000}, {1, 1000}},
         2},
        {"32-bit, a dead pixel",
         image_test::MakeDocument<int32_t>(kKindFits, kPixelInt32, 2000, 1,
                                           BulkAndOutlier<int32_t>(5, 6, -2000000000)),
         4,
         4.5,
         6.5,
         {{0, 1001}, {1, 999}},
         2},
        {"reals, a hot pixel",
         image_test::MakeDocument<double>(kKindFits, kPixelReal64, 2000, 1,
                                          BulkAndOutlier<double>(0, 1, 1e6)),
         4,
         0,
         1,
         {{0, 1000}, {3, 1000}},
         4},
    };
    for (const auto& c : cases) {
        const THistogram h = ComputeHistogram(c.Doc, c.Bins);
        EXPECT_EQ(h.Start, c.Start) << c.What;
        EXPECT_EQ(h.End, c.End) << c.What;
        ASSERT_EQ(h.Counts.size(), c.BinCount) << c.What;
        std::vector<uint64_t> expected(c.BinCount, 0);
        for (const auto& [bin, count] : c.NonZero)
            expected[bin] = count;
        EXPECT_EQ(h.Counts, expected) << c.What;
    }
    EXPECT_TRUE(ComputeHistogram(TImageDocument{}, 256).Counts.empty());
}

TEST(Histogram, SixteenBitsFromTheStatisticsPass) {
    std::mt19937 rng(7);
    std::vector<int16_t> values(5000);
    for (auto& v : values)
        v = static_cast<int16_t>(int(rng() % 40000) - 20000);
    const auto doc = image_test::MakeDocument(kKindFits, kPixelInt16, 100, 50, values);
    const TImageSummary summary = SummariseImage(doc, 256);
    const THistogram direct = ComputeHistogram(doc, 256);
    EXPECT_EQ(summary.Histogram.Counts, direct.Counts);
    EXPECT_EQ(summary.Histogram.Start, direct.Start);
    EXPECT_EQ(summary.Statistics.Median, ComputeStatistics(doc).Median);
}

TEST(Histogram, PlacesAlongTheAxisAndLogarithmicHeights) {
    THistogram h;
    h.Start = -5.5, h.End = 300.5;
    EXPECT_DOUBLE_EQ(h.Place(10), 15.5 / 306);
    EXPECT_EQ(h.Place(-100), 0);
    EXPECT_EQ(h.Place(1e9), 1);
    EXPECT_DOUBLE_EQ(h.ValueAt(h.Place(120)), 120);
    // A dragged marker: whole values for whole-valued images, else a step of the axis's thousandth.
    EXPECT_EQ(MarkerValue(h, 15.9 / 306, true), 10);
    EXPECT_EQ(MarkerValue(h, 2.0, true), 300);
    const THistogram reals{0.0, 0.5, {}};
    EXPECT_DOUBLE_EQ(MarkerValue(reals, 0.123456, false), 0.0617);
    EXPECT_EQ(LogHeight(0, 99), 0);
    EXPECT_DOUBLE_EQ(LogHeight(9, 99), 0.5);
    EXPECT_EQ(LogHeight(99, 99), 1);
}
