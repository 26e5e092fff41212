#include "core/base/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orv;

TEST(Bitmap, EightBitRoundTripKeepsIndicesPaletteAndRowOrder) {
    TBitmap b;
    b.Width = 3;
    b.Height = 2;
    b.BitCount = 8;
    b.Palette.assign(256, 0);
    b.Palette[1] = MakeColor(255, 0, 0);
    b.Palette[2] = MakeColor(0, 0, 255);
    b.Pixels = {1, 2, 0, 0, 0, 1}; // top row first
    const auto file = b.ToBmpFile();
    ASSERT_EQ(file.size(), 54u + 1024 + 4 * 2);
    EXPECT_EQ(file[54 + 4 + 2], 255); // entry 1 red in the third byte (B, G, R)
    EXPECT_EQ(file[54 + 1024], 0);    // bottom row first: 0, 0, 1
    EXPECT_EQ(file[54 + 1024 + 2], 1);
    const TBitmap back = TBitmap::FromBmpFile(file);
    EXPECT_EQ(back, b);
    EXPECT_EQ(back.PixelColor(0, 0), MakeColor(255, 0, 0));
    EXPECT_EQ(back.PixelColor(1, 0), MakeColor(0, 0, 255));
}

TEST(Bitmap, TwentyFourBitAndTopDown) {
    TBitmap b;
    b.Width = 2;
    b.Height = 2;
    b.BitCount = 24;
    b.Pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    auto file = b.ToBmpFile();
    EXPECT_EQ(TBitmap::FromBmpFile(file), b);
    EXPECT_EQ(b.PixelColor(1, 0), MakeColor(6, 5, 4));
    // The same picture stored top-down (negative height).
    std::vector<uint8_t> td = file;
    const int32_t negative = -2;
    std::memcpy(td.data() + 22, &negative, 4);
    std::copy(file.begin() + 54, file.begin() + 62, td.begin() + 62);
    std::copy(file.begin() + 62, file.begin() + 70, td.begin() + 54);
    EXPECT_EQ(TBitmap::FromBmpFile(td), b);
}

TEST(Bitmap, RefusesWhatItCannotReadSafely) {
    TBitmap b;
    b.Width = 4;
    b.Height = 4;
    b.BitCount = 24;
    b.Pixels.assign(48, 9);
    const auto good = b.ToBmpFile();
    auto truncated = good;
    truncated.resize(good.size() - 1);
    EXPECT_THROW(TBitmap::FromBmpFile(truncated), EBitmapError);
    auto huge = good;
    const int32_t big = 1 << 30;
    std::memcpy(huge.data() + 18, &big, 4);
    EXPECT_THROW(TBitmap::FromBmpFile(huge), EBitmapError);
    auto rle = good;
    rle[30] = 1;
    EXPECT_THROW(TBitmap::FromBmpFile(rle), EBitmapError);
    EXPECT_THROW(TBitmap::FromBmpFile(std::vector<uint8_t>{'B', 'M'}), EBitmapError);
    EXPECT_THROW(TBitmap::FromBmpFile(std::vector<uint8_t>()), EBitmapError);
}
