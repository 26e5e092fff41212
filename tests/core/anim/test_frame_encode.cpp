#include "core/anim/frame_compose.h"
#include "core/anim/frame_encode.h"
#include "core/image/display.h"

#include "core/image/document_builder.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

std::vector<uint8_t> Bytes(const TEncodedImage& image) {
    std::vector<uint8_t> bytes;
    image.Data.ForEachBlock(
        [&](std::span<const uint8_t> block) { bytes.insert(bytes.end(), block.begin(), block.end()); });
    return bytes;
}

// A 256 x 520 frame of 16-bit noise over a ramp: taller than a band of displayed rows, so that the
// bands meet inside the stamp's box.
TAnimImg TallFrame(size_t storeValues) {
    std::vector<int16_t> v;
    for (int k = 0; k < 256 * 520; ++k)
        v.push_back(int16_t(k / 97 + (k * 7919) % 61));
    v.resize(storeValues);
    auto doc = image_test::MakeDocument<int16_t>(kKindFits, kPixelInt16, 256, 520, v);
    doc.LowThreshold = 300;
    doc.HighThreshold = 1300;
    doc.Header.DateObs = "2024-03-09T22:00:00";
    doc.Header.TimeBeg = "22:10:05";
    Render(doc);
    return MakeFrame(std::move(doc));
}

} // namespace

TEST(FrameEncode, GivesTheBytesOfTheComposedPictureWithoutCopyingTheFrame) {
    TAnimImg full = TallFrame(256 * 520);
    TAnimImg truecolour = full;
    truecolour.Source = nullptr;
    truecolour.Bitmap.BitCount = 24;
    truecolour.Bitmap.Pixels.resize(truecolour.Bitmap.Pixels.size() * 3, 77);
    TDisplaySettings shared = full.Source->Display;
    shared.LowThreshold = 900;
    struct TCase {
        const char* name;
        TAnimImg frame;
        bool sameDisplay, stamp;
        std::optional<TCropRect> crop;
        int32_t bin;
    };
    const TCase cases[] = {
        {"picture in place", full, false, false, {}, 1},
        {"picture region", full, false, false, TCropRect{5, 3, 200, 301}, 1},
        {"true colours", truecolour, false, false, {}, 1},
        {"one display and stamp, in bands", full, true, true, {}, 1},
        {"stamp on a store short by rows and a half", TallFrame(256 * 400 + 100), false, true, {}, 1},
        {"region and binning", full, true, true, TCropRect{2, 9, 255, 500}, 2},
    };
    for (const TCase& c : cases) {
        TAnimOptions options;
        options.SameDisplay = c.sameDisplay;
        options.Stamp = c.stamp;
        options.Crop = c.crop;
        options.Bin = c.bin;
        const TDisplaySettings* display = c.sameDisplay ? &shared : nullptr;
        const TFramePicture picture = ComposeFrame(c.frame, options, display);
        const TEncodedImage want = EncodeImage(picture.Table, picture.Matrix);
        const TEncodedImage got = EncodeFrame(c.frame, options, display);
        EXPECT_EQ(got.Table, want.Table) << c.name;
        EXPECT_EQ(got.Width, want.Width) << c.name;
        EXPECT_EQ(got.Height, want.Height) << c.name;
        EXPECT_EQ(got.CodeSize, want.CodeSize) << c.name;
        EXPECT_EQ(Bytes(got), Bytes(want)) << c.name;
    }
}
