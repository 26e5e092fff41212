#include "core/image/display.h"

#include "core/image/document_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace orv;

namespace {

template <typename T>
TImageDocument MakeDocument(uint8_t pixelType, int32_t w, int32_t h, std::vector<T> values, double low,
                            double high) {
    TImageDocument doc = image_test::MakeDocument(kKindFits, pixelType, w, h, values);
    doc.LowThreshold = low;
    doc.HighThreshold = high;
    return doc;
}

// Display level of value k of a one-row document.
uint8_t Level(const TImageDocument& doc, size_t k) {
    return doc.DisplayStream[1078 + k];
}

} // namespace

TEST(DisplayLevels, SixteenBitThresholdExamples) {
    auto doc = MakeDocument<int16_t>(kPixelInt16, 6, 1, {0, 16383, 8191, 20000, -5, 16382}, 0, 16383);
    Render(doc);
    EXPECT_EQ(Level(doc, 0), 0);
    EXPECT_EQ(Level(doc, 1), 255);
    EXPECT_EQ(Level(doc, 2), 127);
    EXPECT_EQ(Level(doc, 3), 255);
    EXPECT_EQ(Level(doc, 4), 0);
    EXPECT_EQ(Level(doc, 5), 255); // 254.98 rounds up
    EXPECT_FALSE(doc.Inverted);
}

TEST(DisplayLevels, HalvesRoundToEven) {
    auto a = MakeDocument<int16_t>(kPixelInt16, 1, 1, {1}, 0, 2);
    Render(a);
    EXPECT_EQ(Level(a, 0), 128);
    auto b = MakeDocument<int16_t>(kPixelInt16, 1, 1, {3}, 0, 10);
    Render(b);
    EXPECT_EQ(Level(b, 0), 76);
}

TEST(DisplayLevels, SwappedThresholdsGiveTheNegative) {
    auto doc = MakeDocument<int16_t>(kPixelInt16, 3, 1, {0, 16383, 8192}, 16383, 0);
    Render(doc);
    EXPECT_TRUE(doc.Inverted);
    EXPECT_EQ(Level(doc, 0), 255);
    EXPECT_EQ(Level(doc, 1), 0);
    EXPECT_EQ(Level(doc, 2), 127);
}

TEST(DisplayLevels, EqualThresholds) {
    auto doc = MakeDocument<int16_t>(kPixelInt16, 3, 1, {100, 101, 99}, 100, 100);
    Render(doc);
    EXPECT_EQ(Level(doc, 0), 0);
    EXPECT_EQ(Level(doc, 1), 255);
    EXPECT_EQ(Level(doc, 2), 0);
}

TEST(DisplayLevels, AllFourPixelTypesAgreeOnTheSameValues) {
    auto i32 = MakeDocument<int32_t>(kPixelInt32, 3, 1, {1 << 16, 0, 1 << 17}, 0, 1 << 17);
    Render(i32);
    EXPECT_EQ(Level(i32, 0), 128);
    EXPECT_EQ(Level(i32, 1), 0);
    EXPECT_EQ(Level(i32, 2), 255);

    auto r32 = MakeDocument<float>(kPixelReal32, 3, 1, {8191.f, 0.5f, 1e9f}, 0, 16383);
    Render(r32);
    EXPECT_EQ(Level(r32, 0), 127);
    EXPECT_EQ(Level(r32, 1), 0); // 0.0078 rounds to 0
    EXPECT_EQ(Level(r32, 2), 255);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto r64 = MakeDocument<double>(kPixelReal64, 2, 1, {1.0, nan}, 0, 2);
    Render(r64);
    EXPECT_EQ(Level(r64, 0), 128);
    EXPECT_EQ(Level(r64, 1), 0);
    r64.LowThreshold = 2, r64.HighThreshold = 0;
    Render(r64);
    EXPECT_TRUE(r64.Inverted);
    EXPECT_EQ(Level(r64, 1), 255); // a NaN is white in the negative
}

TEST(DisplayBitmap, HeaderStrideAndBottomUpRows) {
    // 5 x 3, stored row r holds value 10 * r + x.
    std::vector<int16_t> v;
    for (int r = 0; r < 3; ++r)
        for (int x = 0; x < 5; ++x)
            v.push_back(static_cast<int16_t>(10 * r + x));
    auto doc = MakeDocument<int16_t>(kPixelInt16, 5, 3, v, 0, 255);
    doc.Palette[7] = {1, 2, 3};
    Render(doc);
    const auto& s = doc.DisplayStream;
    ASSERT_EQ(s.size(), 1078u + 8 * 3);
    EXPECT_EQ(s[0], 'B');
    EXPECT_EQ(s[1], 'M');
    EXPECT_EQ(s[2] | s[3] << 8, 1078 + 24);
    EXPECT_EQ(s[10] | s[11] << 8, 1078);
    EXPECT_EQ(s[18], 5);
    EXPECT_EQ(s[22], 3);
    EXPECT_EQ(s[28], 8);
    EXPECT_EQ(s[46] | s[47] << 8, 256);
    EXPECT_EQ(s[54 + 4 * 7], 1); // blue, green, red, 0
    EXPECT_EQ(s[54 + 4 * 7 + 2], 3);
    EXPECT_EQ(s[54 + 4 * 7 + 3], 0);
    EXPECT_EQ(0, std::memcmp(doc.BitmapHeader.data(), s.data(), 54));
    // Bitmap row 0 (bottom) is the first stored row; each row 8 bytes, last three 0.
    for (int r = 0; r < 3; ++r) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(s[1078 + 8 * r + x], 10 * r + x);
        for (int x = 5; x < 8; ++x)
            EXPECT_EQ(s[1078 + 8 * r + x], 0);
    }
}

TEST(DisplayBitmap, WidthEightHasNoPadding) {
    auto doc = MakeDocument<int16_t>(kPixelInt16, 8, 1, std::vector<int16_t>(8, 255), 0, 255);
    Render(doc);
    EXPECT_EQ(doc.DisplayStream.size(), 1078u + 8);
    EXPECT_EQ(BitmapStride(8), 8);
    EXPECT_EQ(BitmapStride(5), 8);
    EXPECT_EQ(BitmapStride(1), 4);
}

TEST(DisplayBitmap, DocumentsWithoutRawValuesKeepTheirBitmap) {
    TImageDocument doc;
    doc.PixelType = kPixelNone;
    doc.DisplayStream = {1, 2, 3};
    Render(doc);
    EXPECT_EQ(doc.DisplayStream, (std::vector<uint8_t>{1, 2, 3}));
}

TEST(LookupTable, OnlyTheRangeBetweenRoundedThresholdsIsWritten) {
    TImageDocument doc;
    doc.LookupTable.fill(77);
    doc.LowThreshold = 10.4;
    doc.HighThreshold = 20.6;
    BuildLookupTable(doc);
    EXPECT_EQ(doc.LookupTable[9 + 32768], 77);
    EXPECT_EQ(doc.LookupTable[22 + 32768], 77);
    EXPECT_EQ(doc.LookupTable[10 + 32768], 0); // Round(-0.4 * 25) = -0 -> 0
    EXPECT_EQ(doc.LookupTable[21 + 32768], 255);
    doc.LowThreshold = -1e9; // far outside the 16-bit range: clipped, no write out of the table
    doc.HighThreshold = 1e9;
    BuildLookupTable(doc);
    EXPECT_EQ(doc.LookupTable[32768], 128); // value 0 sits in the middle: Round(127.5)
    EXPECT_EQ(doc.LookupTable[0], 127);
}

TEST(FitWindow, TheFourCasesAndTheTies) {
    const TSystemMetrics m{2, 2, 20, 17, 17};
    const TSize main{1000, 800};
    // available: A = 1000 - 10 = 990; B = 800 - (33 + 19 + 4 + 20 + 6) = 718
    EXPECT_EQ(FitWindow({100, 100}, main, 33, 19, m), (TSize{100, 100}));
    EXPECT_EQ(FitWindow({2000, 2000}, main, 33, 19, m), (TSize{990, 718}));
    EXPECT_EQ(FitWindow({500, 2000}, main, 33, 19, m), (TSize{517, 718}));
    EXPECT_EQ(FitWindow({2000, 500}, main, 33, 19, m), (TSize{990, 517}));
    EXPECT_FALSE(FitWindow({990, 100}, main, 33, 19, m).has_value());
    EXPECT_FALSE(FitWindow({100, 718}, main, 33, 19, m).has_value());
}

TEST(DisplayFunctions, LevelsForNormalAndInvertedThresholds) {
    // Between thresholds 0 and 100: 255 f(v / 100) rounded half to even (25 under Racine
    // carrée is 127.5 exactly, 90 under Linéaire 229.5, 25 under MTF of balance 0.25 127.5);
    // beyond them 0 and 255 whatever f. MTF of balance 0.5 is the identity.
    const std::vector<int16_t> values{4, 25, 64, 90, 0, 100, -5, 120};
    const struct {
        TDisplayFunction Function;
        std::vector<uint8_t> Levels;
        double Midtones = kNeutralMidtones;
    } cases[] = {
        {TDisplayFunction::Linear, {10, 64, 163, 230, 0, 255, 0, 255}},
        {TDisplayFunction::Sqrt, {51, 128, 204, 242, 0, 255, 0, 255}},
        {TDisplayFunction::Log, {137, 204, 239, 251, 0, 255, 0, 255}},
        {TDisplayFunction::Asinh, {33, 140, 217, 246, 0, 255, 0, 255}},
        {TDisplayFunction::Mtf, {10, 64, 163, 230, 0, 255, 0, 255}, 0.5},
        {TDisplayFunction::Mtf, {28, 128, 215, 246, 0, 255, 0, 255}, 0.25},
        {TDisplayFunction::Mtf, {3, 20, 78, 177, 0, 255, 0, 255}, 0.8},
    };
    for (const auto& c : cases) {
        // Inverted thresholds (low 100, high 0) give value 100 - v the level of v.
        std::vector<int16_t> mirrored;
        for (int16_t v : values)
            mirrored.push_back(static_cast<int16_t>(100 - v));
        std::vector<double> reals(values.begin(), values.end());
        auto normal = MakeDocument<int16_t>(kPixelInt16, 8, 1, values, 0, 100);
        auto inverted = MakeDocument<int16_t>(kPixelInt16, 8, 1, mirrored, 100, 0);
        auto computed = MakeDocument<double>(kPixelReal64, 8, 1, reals, 0, 100);
        auto computedInverted = MakeDocument<float>(
            kPixelReal32, 8, 1, std::vector<float>(mirrored.begin(), mirrored.end()), 100, 0);
        for (TImageDocument* doc : {&normal, &inverted, &computed, &computedInverted}) {
            doc->DisplayFunction = c.Function;
            doc->MidtonesBalance = c.Midtones;
            Render(*doc);
            for (size_t k = 0; k < values.size(); ++k)
                EXPECT_EQ(Level(*doc, k), c.Levels[k])
                    << DisplayFunctionName(c.Function) << " " << c.Midtones << " value " << values[k]
                    << " inverted " << doc->Inverted << " pixel type " << int(doc->PixelType);
        }
    }
}

TEST(DisplayFunctions, EveryNameReadsBackAndOnlyThoseNames) {
    for (TDisplayFunction f : kDisplayFunctions)
        EXPECT_EQ(DisplayFunctionNamed(DisplayFunctionName(f)), f);
    for (const char* other : {"Linear", "", "sqrt ", "ln"})
        EXPECT_EQ(DisplayFunctionNamed(other), std::nullopt) << other;
}
