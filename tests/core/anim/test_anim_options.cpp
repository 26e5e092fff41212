// The animation options on small frames whose every value is known: regions at the edges,
// binning's rounding and dropped blocks, the bounce's order, the stamp's box and text.
#include "core/anim/anim_options.h"
#include "core/anim/frame_compose.h"
#include "core/anim/frame_region.h"
#include "core/anim/stamp.h"

#include "core/image/display.h"
#include "core/image/document_builder.h"
#include "core/message_of.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

using namespace orv;

namespace {

// Width x height 16-bit values; stored row r (row r + 1 from the bottom), column x holds 10 r + x.
TRawImage Ramp(int32_t width, int32_t height) {
    std::vector<int16_t> v;
    for (int32_t r = 0; r < height; ++r)
        for (int32_t x = 0; x < width; ++x)
            v.push_back(int16_t(10 * r + x));
    TRawImage raw{kPixelInt16, width, height, {}};
    raw.Store.resize(v.size() * 2);
    std::memcpy(raw.Store.data(), v.data(), raw.Store.size());
    return raw;
}

template <typename T> std::vector<T> Values(const TRawImage& raw) {
    std::vector<T> v(raw.Store.size() / sizeof(T));
    if (!v.empty()) std::memcpy(v.data(), raw.Store.data(), raw.Store.size()); // an empty one has no data()
    return v;
}

template <typename T> TRawImage Raw(uint8_t type, int32_t w, int32_t h, std::vector<T> v) {
    TRawImage raw{type, w, h, {}};
    raw.Store.resize(v.size() * sizeof(T));
    std::memcpy(raw.Store.data(), v.data(), raw.Store.size());
    return raw;
}

} // namespace

TEST(AnimOptions, CropTakesReadoutRectanglesAndRefusesThoseOutside) {
    const TRawImage ramp = Ramp(4, 3);
    struct {
        TCropRect Rect;
        std::vector<int16_t> Want; // bottom row first
    } inside[] = {
        {{1, 1, 4, 3}, Values<int16_t>(ramp)},
        {{1, 1, 1, 1}, {0}},  // the bottom-left pixel
        {{4, 3, 1, 1}, {23}}, // the top-right pixel
        {{2, 2, 3, 2}, {11, 12, 13, 21, 22, 23}},
    };
    for (const auto& c : inside) {
        const TRawImage out = CropRaw(ramp, c.Rect);
        EXPECT_EQ(Values<int16_t>(out), c.Want) << CropText(c.Rect);
        EXPECT_EQ(out.Width, c.Rect.Width);
    }
    for (const TCropRect& r : {TCropRect{4, 3, 2, 1}, TCropRect{1, 3, 1, 2}, TCropRect{5, 1, 1, 1}})
        EXPECT_THROW(CropRaw(ramp, r), ERegionError) << CropText(r);
    EXPECT_EQ(MessageOf([&] {
                  CropRaw(ramp, {3, 2, 2, 4});
              }),
              "La zone X 3, Y 2, 2 x 4 dépasse l'image (4 x 3)");

    // A picture's rows run from the top: the same rectangle takes the same pixels.
    TBitmap picture;
    picture.Width = 4;
    picture.Height = 3;
    picture.Palette.assign(256, 0);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            picture.Pixels.push_back(uint8_t(10 * (2 - y) + x));
    EXPECT_EQ(CropBitmap(picture, {2, 2, 3, 2}).Pixels, (std::vector<uint8_t>{21, 22, 23, 11, 12, 13}));

    EXPECT_EQ(ParseCrop("10,20,256,128"), (TCropRect{10, 20, 256, 128}));
    for (const char* bad : {"10,20,256", "0,1,2,2", "1,1,0,2", "a,1,2,2", "1,1,2,2,", "1,1,2,2,3"})
        EXPECT_FALSE(ParseCrop(bad)) << bad;
    EXPECT_EQ(ParseTrack("10.5,20,-3,4e1"), (TTrack{10.5, 20, -3, 40}));
    for (const char* bad : {"1,2,3", "1,2,3,4,", "1,2,3,x", "1,2,3,1e999", ""})
        EXPECT_FALSE(ParseTrack(bad)) << bad;
}

TEST(AnimOptions, BinningMeansRoundHalfToEvenAndDropsPartialBlocks) {
    struct {
        const char* Name;
        TRawImage In;
        int32_t N;
        std::vector<int16_t> Want;
        int32_t Width, Height;
        std::optional<TCropRect> Region = {}; // binned where it lies, without a copy
    } cases[] = {
        // 5 x 3 by 2: one row of two blocks; the last column and the top row go.
        {"dropped", Ramp(5, 3), 2, {6, 8}, 2, 1},
        {"2.5 down", Raw<int16_t>(kPixelInt16, 2, 2, {1, 2, 3, 4}), 2, {2}, 1, 1},
        {"3.5 up", Raw<int16_t>(kPixelInt16, 2, 2, {2, 3, 4, 5}), 2, {4}, 1, 1},
        {"-2.5 to -2", Raw<int16_t>(kPixelInt16, 2, 2, {-1, -2, -3, -4}), 2, {-2}, 1, 1},
        {"-3.5 to -4", Raw<int16_t>(kPixelInt16, 2, 2, {-2, -3, -4, -5}), 2, {-4}, 1, 1},
        {"extremes", Raw<int16_t>(kPixelInt16, 2, 1, {32767, 32767}), 1, {32767, 32767}, 2, 1},
        {"too small", Ramp(2, 2), 3, {}, 0, 0},
        // Stored rows 1 to 3, columns 1 to 4: blocks from the region's corner, its top row dropped.
        {"a region", Ramp(5, 4), 2, {16, 18}, 2, 1, TCropRect{2, 2, 4, 3}},
    };
    for (const auto& c : cases) {
        const TRawImage out =
            c.Region ? BinPlane({c.In.PixelType, c.In.Width, c.In.Height, c.In.Store}, *c.Region, c.N)
                     : BinRaw(c.In, c.N);
        EXPECT_EQ(Values<int16_t>(out), c.Want) << c.Name;
        EXPECT_EQ(out.Width, c.Width) << c.Name;
        EXPECT_EQ(out.Height, c.Height) << c.Name;
    }
    EXPECT_EQ(Values<float>(BinRaw(Raw<float>(kPixelReal32, 2, 2, {1, 2, 3, 4}), 2)),
              std::vector<float>{2.5f});
    EXPECT_EQ(Values<int32_t>(BinRaw(Raw<int32_t>(kPixelInt32, 2, 2, {1 << 30, 1 << 30, 1 << 30, 3}), 2)),
              std::vector<int32_t>{805306369});
    EXPECT_THROW(BinRaw(Ramp(4, 4), 17), EOrvanelError);
}

TEST(AnimOptions, BounceComesBackWithoutRepeatingTheEnds) {
    struct {
        size_t Count;
        std::vector<size_t> Want;
    } cases[] = {{0, {}}, {1, {0}}, {2, {0, 1}}, {3, {0, 1, 2, 1}}, {5, {0, 1, 2, 3, 4, 3, 2, 1}}};
    for (const auto& c : cases)
        EXPECT_EQ(FrameOrder(c.Count, true), c.Want) << c.Count;
    EXPECT_EQ(FrameOrder(3, false), (std::vector<size_t>{0, 1, 2}));
}

TEST(AnimOptions, TheStampIsABlackBoxOfAtMostSixteenRowsWhoseTextFollowsTheTime) {
    struct {
        const char* DateObs;
        const char* Time;
        const char* Want;
    } texts[] = {{"2024-03-09T22:10:00", "22:10:00", "2024-03-09 22:10:00"},
                 {"2024-03-09", "22:13:30.500", "2024-03-09 22:13:30.500"},
                 {"", "22:10:00", "22:10:00"},
                 {"2024-03-09", "", ""}};
    for (const auto& t : texts)
        EXPECT_EQ(StampText(t.DateObs, t.Time), t.Want) << t.Want;

    // Frames of mid-grey: the stamp changes the lower-left box only, to 0 and 255.
    const auto stamped = [](int32_t w, int32_t h, const std::string& text) {
        TByteArray2D levels(w, h);
        std::memset(levels.Cells().Memory(), 128, size_t(w) * size_t(h));
        DrawStamp(levels, text);
        return levels;
    };
    for (int32_t height : {80, 40, 10}) {
        const TByteArray2D a = stamped(200, height, "2024-03-09 22:10:00");
        const int32_t scale = StampScale(200, height, "2024-03-09 22:10:00");
        const int32_t box = std::min(StampBoxHeight(scale), height);
        EXPECT_LE(box, kStampMaxHeight);
        const int32_t boxWidth = StampBoxWidth("2024-03-09 22:10:00", scale);
        int32_t white = 0;
        for (int32_t y = 1; y <= height; ++y)
            for (int32_t x = 1; x <= 200; ++x) {
                const uint8_t v = a.GetCell(x, y);
                const bool inBox = y > height - box && x <= boxWidth;
                EXPECT_TRUE(inBox ? v == 0 || v == 255 : v == 128) << height << " " << x << "," << y;
                white += v == 255;
            }
        EXPECT_GT(white, 0) << height;
        EXPECT_NE(a.Cells().GetItem(1), 0) << "nothing above the box";
    }
    EXPECT_EQ(StampBoxHeight(StampScale(300, 80, "22:10:00")), 16);
    EXPECT_EQ(StampScale(200, 80, "2024-03-09 22:10:00"), 1); // too wide at twice the size
    const auto bytes = [](const TByteArray2D& m) {
        return std::vector<uint8_t>(m.Cells().Memory(), m.Cells().Memory() + m.Cells().Size());
    };
    EXPECT_NE(bytes(stamped(200, 80, "22:10:00")), bytes(stamped(200, 80, "22:13:00")));
    // Cut at the frame's edge, never past it.
    const TByteArray2D narrow = stamped(12, 80, "22:10:00");
    EXPECT_EQ(narrow.Cols(), 12);
}

TEST(AnimOptions, OneDisplayForTheSeriesRendersEachFrameWithTheFirstFramesThresholds) {
    auto doc = image_test::MakeDocument<int16_t>(kKindFits, kPixelInt16, 2, 2, {0, 100, 200, 300});
    doc.HighThreshold = 300;
    doc.Header.TimeBeg = "22:10:00";
    Render(doc);
    TAnimImg first = MakeFrame(doc);
    doc.HighThreshold = 150;
    Render(doc);
    TAnimImg second = MakeFrame(doc);
    const std::vector<TAnimImg> frames{first, second};

    TAnimOptions same;
    same.SameDisplay = true;
    const auto shared = SharedDisplay(frames, same);
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared->HighThreshold, 300);
    EXPECT_EQ(PictureBitmap(ComposeFrame(second, same, &*shared)).Pixels,
              PictureBitmap(ComposeFrame(first, {}, nullptr)).Pixels);
    // Each frame as its image displayed it without the option.
    EXPECT_NE(PictureBitmap(ComposeFrame(second, {}, nullptr)).Pixels,
              PictureBitmap(ComposeFrame(first, {}, nullptr)).Pixels);
    EXPECT_EQ(PictureBitmap(ComposeFrame(second, {}, nullptr)).PixelColor(1, 0),
              second.Bitmap.PixelColor(1, 0));
}
