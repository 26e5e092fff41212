#include "core/image/zoomed_view.h"

#include "core/image/document_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace orv;

namespace {

// A document from its picture's rows, top row first (stored bottom-up, as files store them).
template <typename T>
TImageDocument FromScreenRows(uint8_t pixelType, const std::vector<std::vector<T>>& rows) {
    std::vector<T> stored;
    for (auto r = rows.rbegin(); r != rows.rend(); ++r)
        stored.insert(stored.end(), r->begin(), r->end());
    return image_test::MakeDocument(kKindFits, pixelType, static_cast<int32_t>(rows[0].size()),
                                    static_cast<int32_t>(rows.size()), stored);
}

template <typename T> std::vector<std::vector<T>> ScreenRows(const TImageDocument& doc) {
    std::vector<std::vector<T>> rows(static_cast<size_t>(doc.ImageHeight));
    for (int32_t y = 0; y < doc.ImageHeight; ++y)
        for (int32_t x = 0; x < doc.ImageWidth; ++x) {
            T v;
            std::memcpy(&v,
                        doc.PixelStore.data() +
                            sizeof(T) * size_t((doc.ImageHeight - 1 - y) * doc.ImageWidth + x),
                        sizeof(T));
            rows[size_t(y)].push_back(v);
        }
    return rows;
}

} // namespace

TEST(AveragedView, KnownPatternWithPartialEdgeBlocks) {
    // Blocks start at the top-left; the right column and bottom row of blocks are partial.
    // Averages round half to even: 1.5 -> 2, 5.5 -> 6, 8.5 -> 8, 75 / 9 -> 8; 124 / 6 -> 21, not 20.
    const auto doc =
        FromScreenRows<int16_t>(kPixelInt16, {{0, 2, 4, 6, 8}, {1, 3, 5, 7, 9}, {10, 20, 30, 40, 54}});
    const struct {
        int32_t Factor;
        std::vector<std::vector<int16_t>> View;
    } cases[] = {
        {2, {{2, 6, 8}, {15, 35, 54}}},
        {3, {{8, 21}}},
        {1, {{0, 2, 4, 6, 8}, {1, 3, 5, 7, 9}, {10, 20, 30, 40, 54}}},
    };
    for (const auto& c : cases) {
        const TImageDocument view = AveragedDocument(doc, c.Factor);
        EXPECT_EQ(ScreenRows<int16_t>(view), c.View) << "1:" << c.Factor;
    }
}

TEST(AveragedView, EveryPixelTypeAveragesItsOwnValues) {
    const double nan = std::nan("");
    const auto i32 = FromScreenRows<int32_t>(kPixelInt32, {{100000, 100001}, {100001, 100001}});
    EXPECT_EQ(ScreenRows<int32_t>(AveragedDocument(i32, 2)), (std::vector<std::vector<int32_t>>{{100001}}));
    // NaNs are left out of a block's average; a block of NaNs alone stays NaN.
    const auto r64 = FromScreenRows<double>(kPixelReal64, {{nan, 2.0, nan}, {4.5, nan, nan}});
    const auto rows = ScreenRows<double>(AveragedDocument(r64, 2));
    EXPECT_EQ(rows[0][0], 3.25);
    EXPECT_TRUE(std::isnan(rows[0][1]));
}

TEST(AveragedView, AStarStaysVisibleAtOneToFour) {
    std::vector<std::vector<int16_t>> sky(8, std::vector<int16_t>(8, 0));
    sky[5][2] = 1000;
    auto doc = FromScreenRows<int16_t>(kPixelInt16, sky);
    doc.LowThreshold = 0, doc.HighThreshold = 100;
    TAveragedView view;
    const auto& bitmap = view.DisplayStream(doc, 4);
    // View bottom-left block (stored first) holds the star: 1000 / 16 = 62.5 -> 62 -> level 158.
    EXPECT_EQ(bitmap[1078], 158);
    EXPECT_EQ(bitmap[1078 + 1], 0);
    // The same averages follow a new threshold.
    doc.HighThreshold = 62;
    EXPECT_EQ(view.DisplayStream(doc, 4)[1078], 255);
}

TEST(AveragedView, AShortStoreLeavesTheBlocksItDoesNotReach) {
    // 4 x 4, only the first stored row and a half: the bottom view row has data, the top none.
    auto doc = image_test::MakeDocument<int16_t>(kKindFits, kPixelInt16, 4, 4, {4, 4, 8, 8, 6, 6});
    const TImageDocument view = AveragedDocument(doc, 2);
    ASSERT_EQ(view.PixelStore.size(), 2u * 2);
    EXPECT_EQ(ScreenRows<int16_t>(view).size(), 2u);
    int16_t bottom[2];
    std::memcpy(bottom, view.PixelStore.data(), 4);
    EXPECT_EQ(bottom[0], 5); // 4, 4, 6, 6
    EXPECT_EQ(bottom[1], 8); // 8, 8: the second stored row ends before them
}

TEST(ZoomedPictures, ChannelsAverageAndPixelsRepeat) {
    // Two channels, 3 x 2 at 1:2: a full block and a partial one; means rounded, not cut
    // (10.75 -> 11, 0.25 -> 0, 142.5 -> 142, 3.5 -> 4).
    const uint8_t rgb[2][6] = {{10, 0, 11, 1, 30, 3}, {11, 0, 11, 0, 255, 4}};
    uint8_t averaged[4] = {};
    AverageChannels(&rgb[0][0], {3, 2}, 6, 2, 2, averaged, 4);
    EXPECT_EQ(std::vector<uint8_t>(averaged, averaged + 4), (std::vector<uint8_t>{11, 0, 142, 4}));

    // 2 x 2 at 3:1: the region from view pixel (2, 1), 3 wide and 4 high.
    const uint8_t picture[2][2] = {{1, 2}, {3, 4}};
    uint8_t region[4][3] = {};
    RepeatRegion(&picture[0][0], {2, 2}, 2, 1, 3, 2, 1, {3, 4}, &region[0][0], 3);
    const uint8_t expected[4][3] = {{1, 2, 2}, {1, 2, 2}, {3, 4, 4}, {3, 4, 4}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(region[y][x], expected[y][x]) << x << "," << y;
}
