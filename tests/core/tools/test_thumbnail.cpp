#include "core/tools/thumbnail.h"

#include "core/image/display.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orv;

TEST(Thumbnail, FitsWithinTheSizeKeepingTheAspectAndNeverEnlarges) {
    const struct {
        int32_t width, height, size;
        TSize fit;
    } cases[] = {
        {4096, 2048, 256, {256, 128}}, {2048, 4096, 256, {128, 256}}, {100, 50, 256, {100, 50}},
        {5000, 1, 128, {128, 1}},      {300, 200, 128, {128, 85}},    {257, 256, 256, {256, 255}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ThumbnailSize(c.width, c.height, c.size), c.fit) << c.width << "x" << c.height;
}

TEST(Thumbnail, EachPixelIsTheMeanOfTheBlockItCovers) {
    // 4 x 2 values 0, 100 / 200, 50 repeated: thresholds 0..255 show them as those levels.
    TImageDocument doc;
    doc.Kind = kKindFits;
    doc.PixelType = kPixelInt16;
    doc.ImageWidth = 4;
    doc.ImageHeight = 2;
    const int16_t values[] = {0, 100, 0, 100, 200, 50, 200, 51};
    doc.PixelStore.resize(sizeof values);
    std::memcpy(doc.PixelStore.data(), values, sizeof values);
    doc.LowThreshold = 0;
    doc.HighThreshold = 255;
    Render(doc);
    const TBitmap small = Thumbnail(doc, 2);
    ASSERT_EQ(small.Width, 2);
    ASSERT_EQ(small.Height, 1);
    EXPECT_EQ(small.PixelColor(0, 0), MakeColor(88, 88, 88)); // (0 + 100 + 200 + 50) / 4 = 87.5
    EXPECT_EQ(small.PixelColor(1, 0), MakeColor(88, 88, 88)); // 351 / 4 = 87.75
}
