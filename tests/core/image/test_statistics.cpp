#include "core/image/statistics.h"

#include "core/image/document_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace orv;

namespace {

template <typename T>
TImageDocument Document(uint8_t pixelType, int32_t w, int32_t h, const std::vector<T>& values) {
    return image_test::MakeDocument(kKindFits, pixelType, w, h, values);
}

// The figures straight from their definition: Welford's running mean and spread, the
// cumulative histogram as an array, and the scan over every j keeping the last match.
template <typename T> TStatistics Reference(const std::vector<T>& values) {
    TStatistics s;
    s.Minimum = std::numeric_limits<double>::infinity();
    s.Maximum = -s.Minimum;
    std::vector<uint64_t> cum(65536, 0);
    double mean = 0, m2 = 0;
    uint64_t n = 0, k = 0;
    for (T raw : values) {
        const double v = raw;
        ++k;
        if (v > s.Maximum) s.Maximum = v;
        if (v < s.Minimum) s.Minimum = v;
        if (v >= -32768.0 && v <= 32767.0) ++cum[static_cast<size_t>(static_cast<int64_t>(v) + 32768)], ++n;
        const double d = v - mean;
        mean += d / static_cast<double>(k);
        m2 += d * (v - mean);
    }
    for (size_t i = 1; i < cum.size(); ++i)
        cum[i] += cum[i - 1];
    const uint64_t half = n / 2;
    for (int j = -32768; j <= 32766; ++j) {
        const uint64_t a = cum[size_t(j + 32768)], b = cum[size_t(j + 32769)];
        if (a <= half && half <= b)
            s.Median = (a && b) ? (j * double(a) + (j + 1) * double(b)) / double(a + b) : 0;
    }
    s.Mean = mean;
    s.StandardDeviation = k ? std::sqrt(m2 / double(k)) : 0;
    return s;
}

void ExpectClose(const TStatistics& got, const TStatistics& want, const std::string& what) {
    EXPECT_EQ(got.Minimum, want.Minimum) << what;
    EXPECT_EQ(got.Maximum, want.Maximum) << what;
    EXPECT_EQ(got.Median, want.Median) << what;
    EXPECT_NEAR(got.Mean, want.Mean, 1e-9 * std::max(1.0, std::fabs(want.Mean))) << what;
    EXPECT_NEAR(got.StandardDeviation, want.StandardDeviation, 1e-7 * std::max(1.0, want.StandardDeviation))
        << what;
}

} // namespace

TEST(Statistics, WorkedExamples) {
    struct Case {
        const char* name;
        TImageDocument doc;
        double min, median, max, mean, deviation;
    };
    std::vector<int16_t> mostlyBottom = {-32768, -32768, -32768, 5};
    const std::vector<Case> cases = {
        {"four values", Document<int16_t>(kPixelInt16, 2, 2, {10, 20, 30, 40}), 10, 29.6, 40, 25,
         std::sqrt(125.0)},
        {"one pixel", Document<int16_t>(kPixelInt16, 1, 1, {1234}), 1234, 0, 1234, 1234, 0},
        {"more than half at the bottom", Document<int16_t>(kPixelInt16, 4, 1, mostlyBottom), -32768, 0, 5,
         (-3 * 32768.0 + 5) / 4, Reference(mostlyBottom).StandardDeviation},
        {"reals share the bin of their whole part", Document<double>(kPixelReal64, 2, 1, {0.4, 0.6}), 0.4, 0,
         0.6, 0.5, 0.1},
        {"float reals", Document<float>(kPixelReal32, 2, 1, {-0.7f, 0.7f}), -0.7f, 0, 0.7f, 0, 0.7f},
        {"32-bit integers beyond the histogram",
         Document<int32_t>(kPixelInt32, 4, 1, {-100000, 10, 20, 100000}), -100000, 59.0 / 3, 100000, 7.5,
         Reference<int32_t>({-100000, 10, 20, 100000}).StandardDeviation},
    };
    for (const Case& c : cases) {
        const TStatistics s = ComputeStatistics(c.doc);
        EXPECT_DOUBLE_EQ(s.Minimum, c.min) << c.name;
        EXPECT_DOUBLE_EQ(s.Median, c.median) << c.name;
        EXPECT_DOUBLE_EQ(s.Maximum, c.max) << c.name;
        EXPECT_NEAR(s.Mean, c.mean, 1e-12) << c.name;
        EXPECT_NEAR(s.StandardDeviation, c.deviation, 1e-6) << c.name;
    }
}

TEST(Statistics, MillionPixelExamples) {
    std::vector<int16_t> flat(1000000, 20000);
    const TStatistics a = ComputeStatistics(Document(kPixelInt16, 1000, 1000, flat));
    EXPECT_EQ(a.Median, 0); // the only qualifying j, 19999, has no values below it
    EXPECT_EQ(a.Mean, 20000);
    EXPECT_EQ(a.StandardDeviation, 0);
    EXPECT_EQ(a.Minimum, 20000);
    EXPECT_EQ(a.Maximum, 20000);

    std::vector<int16_t> split(1000000, 20000);
    for (size_t k = 1; k < split.size(); k += 2)
        split[k] = 20001;
    const TStatistics b = ComputeStatistics(Document(kPixelInt16, 1000, 1000, split));
    EXPECT_DOUBLE_EQ(b.Median, (20000.0 * 500000 + 20001.0 * 1000000) / 1500000);
    EXPECT_EQ(b.Mean, 20000.5);
    EXPECT_EQ(b.StandardDeviation, 0.5);
    EXPECT_EQ(StatisticsRows(b)[3].second, "20000.667");

    // The same figures from reals and 32-bit integers.
    std::vector<float> splitReal(split.begin(), split.end());
    std::vector<int32_t> splitInt(split.begin(), split.end());
    ExpectClose(ComputeStatistics(Document(kPixelReal32, 1000, 1000, splitReal)), b, "reals");
    ExpectClose(ComputeStatistics(Document(kPixelInt32, 1000, 1000, splitInt)), b, "32-bit");
}

TEST(Statistics, AgreeWithTheirDefinitionOnRandomImages) {
    std::mt19937 rng(42);
    std::normal_distribution<double> sky(1200, 300);
    for (int trial = 0; trial < 4; ++trial) {
        const int w = 97 + trial, h = 61;
        std::vector<int16_t> v16(size_t(w) * h);
        std::vector<int32_t> v32(v16.size());
        std::vector<double> v64(v16.size());
        for (size_t k = 0; k < v16.size(); ++k) {
            const double s = trial == 3 ? double(int(rng() % 65536) - 32768) : sky(rng);
            v16[k] = static_cast<int16_t>(std::clamp(s, -32768.0, 32767.0));
            v32[k] = static_cast<int32_t>(s * (trial + 1) * 7);
            v64[k] = s * 3.7;
        }
        ExpectClose(ComputeStatistics(Document(kPixelInt16, w, h, v16)), Reference(v16), "int16");
        ExpectClose(ComputeStatistics(Document(kPixelInt32, w, h, v32)), Reference(v32), "int32");
        ExpectClose(ComputeStatistics(Document(kPixelReal64, w, h, v64)), Reference(v64), "real64");
    }
}

TEST(Statistics, ExtremeSixteenBitValuesStayExact) {
    // Sums of squares that a double cannot hold exactly.
    std::vector<int16_t> v(4096 * 64);
    for (size_t k = 0; k < v.size(); ++k)
        v[k] = k % 3 ? 32767 : -32768;
    const TStatistics s = ComputeStatistics(Document(kPixelInt16, 4096, 64, v));
    const double n = double(v.size()), low = double((v.size() + 2) / 3), high = n - low;
    const double mean = (32767 * high - 32768 * low) / n;
    EXPECT_DOUBLE_EQ(s.Mean, mean);
    EXPECT_NEAR(s.StandardDeviation, 65535 * std::sqrt(high * low) / n, 1e-9);
}

TEST(Statistics, NothingToReadGivesNoNumbersOutOfNothing) {
    TImageDocument empty;
    const TStatistics e = ComputeStatistics(empty);
    EXPECT_EQ(e.Minimum, std::numeric_limits<double>::infinity());
    EXPECT_EQ(e.Maximum, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(e.Mean, 0);
    EXPECT_EQ(e.Median, 0);
    EXPECT_EQ(e.StandardDeviation, 0);

    // A store shorter than width x height is read as far as it goes, never past it.
    TImageDocument shortStore = Document<int16_t>(kPixelInt16, 100, 100, {7, 9});
    const TStatistics s = ComputeStatistics(shortStore);
    EXPECT_EQ(s.Minimum, 7);
    EXPECT_EQ(s.Maximum, 9);
    EXPECT_EQ(s.Mean, 8);

    std::vector<float> withNan = {1.f, std::nanf(""), 3.f};
    const TStatistics n = ComputeStatistics(Document(kPixelReal32, 3, 1, withNan));
    EXPECT_EQ(n.Minimum, 1);
    EXPECT_EQ(n.Maximum, 3);
}

TEST(Statistics, RowsInTheWindowsOrderAndFormat) {
    TStatistics s{10, 29.6, 40, 25, std::sqrt(125.0)};
    const auto rows = StatisticsRows(s);
    const std::vector<std::pair<std::string, std::string>> expected = {{"Intensité minimum :", "10"},
                                                                       {"Intensité maximum :", "40"},
                                                                       {"Intensité moyenne :", "25"},
                                                                       {"Intensité mediane :", "29.6"},
                                                                       {"Ecart type :", "11.18034"}};
    EXPECT_EQ(std::vector(rows.begin(), rows.end()), expected);
    EXPECT_EQ(StatisticsRows(TStatistics{1.5e-6, 0, 123456789, -1e12, 0})[0].second, "1.5E-0006");
    EXPECT_EQ(StatisticsRows(TStatistics{1.5e-6, 0, 123456789, -1e12, 0})[1].second, "1.2345679E0008");
}
