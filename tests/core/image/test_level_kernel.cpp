#include "core/image/display.h"
#include "core/image/level_kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace orv;

namespace {

// A 256 x 256 document holding every 16-bit value once, in an order that mixes them.
TImageDocument EveryValue(double low, double high) {
    TImageDocument doc;
    doc.Kind = kKindFits;
    doc.PixelType = kPixelInt16;
    doc.ImageWidth = doc.ImageHeight = 256;
    doc.LowThreshold = low;
    doc.HighThreshold = high;
    doc.PixelStore.resize(65536 * 2);
    for (uint32_t k = 0; k < 65536; ++k) {
        const auto v = static_cast<uint16_t>(k * 40503u); // odd multiplier: a permutation
        std::memcpy(doc.PixelStore.data() + 2 * k, &v, 2);
    }
    return doc;
}

int16_t ValueAt(const TImageDocument& doc, size_t k) {
    int16_t v;
    std::memcpy(&v, doc.PixelStore.data() + 2 * k, 2);
    return v;
}

} // namespace

TEST(Int16Levels, EveryValueMatchesTheLevelRule) {
    const struct {
        double low, high;
    } cases[] = {
        {0, 16383}, {950, 1600},     {0, 2},           {0, 1000},      {1000.5, 1200.25}, {1600, 950},
        {5, 5},     {-32768, 32767}, {32767, -32768},  {0, 1e-3},      {-1e9, 1e9},       {-5.5, 3.5},
        {12, 13},   {0, 65535},      {-40000, -39000}, {40000, 50000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.low << " .. " << c.high);
        TImageDocument doc = EveryValue(c.low, c.high);
        Render(doc);
        size_t wrong = 0;
        for (size_t k = 0; k < 65536; ++k) {
            const uint8_t expected = DisplayLevel(ValueAt(doc, k), c.low, c.high, doc.Inverted);
            if (doc.DisplayStream[1078 + k] != expected && ++wrong < 5)
                ADD_FAILURE() << "value " << ValueAt(doc, k) << " level " << int(doc.DisplayStream[1078 + k])
                              << " expected " << int(expected);
        }
        EXPECT_EQ(wrong, 0u);
    }
}

TEST(Int16Levels, VectorPathTakenForUsualThresholds) {
    // Where the vector path is available, ties (0..2 gives 127.5) must not push it aside.
    uint8_t level[65536];
    for (const auto& [low, high] : {std::pair{0.0, 16383.0}, {950.0, 1600.0}, {0.0, 2.0}, {1600.0, 950.0}}) {
        TImageDocument doc = EveryValue(low, high);
        Render(doc); // fills the table the mapper checks against
        for (size_t k = 0; k < 65536; ++k)
            level[static_cast<uint16_t>(ValueAt(doc, k))] = doc.DisplayStream[1078 + k];
        const TInt16LevelMapper mapper(level, low, high);
#if defined(__x86_64__)
        EXPECT_TRUE(mapper.Vectorised()) << low << " .. " << high;
#endif
        // Odd lengths and offsets go through the tail.
        std::vector<uint8_t> out(37);
        mapper.Map(doc.PixelStore.data() + 6, out.size(), out.data());
        for (size_t k = 0; k < out.size(); ++k)
            EXPECT_EQ(out[k], doc.DisplayStream[1078 + 3 + k]);
    }
}

TEST(Int16Levels, ReRenderClearsWhatTheStoreNoLongerCovers) {
    TImageDocument doc;
    doc.Kind = kKindFits;
    doc.PixelType = kPixelInt16;
    doc.ImageWidth = 5;
    doc.ImageHeight = 3;
    doc.LowThreshold = 0;
    doc.HighThreshold = 10;
    doc.PixelStore.assign(15 * 2, 0);
    for (size_t k = 0; k < 15; ++k)
        doc.PixelStore[2 * k] = 10; // all 255
    Render(doc);
    ASSERT_EQ(doc.DisplayStream.size(), 1078u + 3 * 8);
    doc.PixelStore.resize(7 * 2); // a shorter store: the rest shows as level 0
    doc.HighThreshold = 20;
    Render(doc);
    const std::vector<uint8_t> expected{128, 128, 128, 128, 128, 0, 0, 0, 128, 128, 0, 0,
                                        0,   0,   0,   0,   0,   0, 0, 0, 0,   0,   0, 0};
    EXPECT_EQ(std::vector<uint8_t>(doc.DisplayStream.begin() + 1078, doc.DisplayStream.end()), expected);
}
