#include "core/document/open_image.h"
#include "core/formats/bmp_document.h"

#include "core/base/bitmap.h"
#include "core/formats/recording_host.h"
#include "core/formats/temp_dir.h"
#include "core/image/readout.h"
#include "core/image/statistics.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::formats_test;

namespace {

std::vector<uint8_t> SampleBitmap(int32_t w, int32_t h, int bitCount) {
    TBitmap b;
    b.Width = w;
    b.Height = h;
    b.BitCount = bitCount;
    if (bitCount == 8)
        for (int i = 0; i < 256; ++i)
            b.Palette.push_back(MakeColor(uint8_t(i), uint8_t(255 - i), 7));
    b.Pixels.resize(size_t(w) * h * (bitCount / 8));
    for (size_t k = 0; k < b.Pixels.size(); ++k)
        b.Pixels[k] = uint8_t(k * 13);
    return b.ToBmpFile();
}

} // namespace

TEST(BmpDocument, LoadKeepsTheFileAsItsPicture) {
    TTempDir dir;
    for (int bits : {8, 24}) {
        const std::vector<uint8_t> file = SampleBitmap(640, 480, bits);
        const std::string path = dir.Write("photo.bmp", file);
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(OpenImage(doc, path, host), TLoadResult::Loaded);
        EXPECT_EQ(doc.Kind, kKindBmp);
        EXPECT_EQ(doc.PixelType, kPixelNone);
        EXPECT_EQ(doc.DisplayStream, file);
        EXPECT_TRUE(std::equal(doc.BitmapHeader.begin(), doc.BitmapHeader.end(), file.begin()));
        EXPECT_EQ(doc.Caption, "Image : photo.bmp (640x480) ");
        EXPECT_EQ(doc.FileName, path);
        EXPECT_FALSE(PixelReadout(doc, 0, 0));
    }
}

TEST(BmpDocument, BadBitmapsAreRefusedWithoutAMessage) {
    TTempDir dir;
    std::vector<uint8_t> truncated = SampleBitmap(16, 16, 8);
    truncated.resize(truncated.size() - 10);
    std::vector<uint8_t> compressed = SampleBitmap(4, 4, 8);
    compressed[30] = 1; // run-length coding is not read
    struct Case {
        const char* name;
        std::string path;
    };
    // Bit fields announced by an info header too short to hold their masks.
    std::vector<uint8_t> fields(62, 0);
    fields[0] = 'B', fields[1] = 'M', fields[14] = 41, fields[18] = 1, fields[22] = 1, fields[26] = 1;
    fields[28] = 16, fields[30] = 3;
    const std::vector<Case> cases = {
        {"bit fields cut short", dir.Write("e.bmp", fields)},
        {"not a bitmap", dir.Write("a.bmp", {'G', 'I', 'F', '8', '9', 'a'})},
        {"empty", dir.Write("b.bmp", {})},
        {"rows cut short", dir.Write("c.bmp", truncated)},
        {"compressed", dir.Write("d.bmp", compressed)},
    };
    for (const Case& c : cases) {
        TRecordingHost host;
        TImageDocument doc;
        EXPECT_EQ(OpenImage(doc, c.path, host), TLoadResult::Refused) << c.name;
        EXPECT_TRUE(host.Messages.empty()) << c.name;
        EXPECT_TRUE(IsEmptyDocument(doc)) << c.name;
    }
    // A file that cannot be read is no silent refusal: the caller shows why.
    TRecordingHost host;
    TImageDocument doc;
    EXPECT_THROW(OpenImage(doc, dir.File("missing.bmp"), host), EFileError);
}

TEST(BmpDocument, SaveWritesTheBitmapAsItIs) {
    TTempDir dir;
    TRecordingHost host;
    const std::vector<uint8_t> picture = SampleBitmap(7, 2, 24);
    TImageDocument doc; // a GIF document: saving it as a bitmap makes it one
    ASSERT_EQ(LoadBitmapFromBytes(doc, picture, "/x/a.gif", kKindGif), TLoadResult::Loaded);
    const std::string target = dir.Write("out.bmp", std::vector<uint8_t>(99999, 1));
    SaveBmp(doc, target);
    EXPECT_EQ(TTempDir::Read(target), picture);
    EXPECT_EQ(doc.Kind, kKindBmp);
    EXPECT_EQ(doc.FileName, target);
    EXPECT_EQ(doc.Caption, "Image : out.bmp (7x2) ");
    // A save that cannot be written leaves the old file alone.
    const std::string old = dir.Write("keep.bmp", {1, 2, 3});
    std::filesystem::create_directory(dir.File("keep.bmp.orvanel-tmp")); // the temporary cannot be made
    EXPECT_THROW(SaveBmp(doc, old), EFileError);
    EXPECT_EQ(TTempDir::Read(old), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(BmpDocument, ColourMaskOfAllThirtyTwoBitsLoads) {
    std::vector<uint8_t> f(70, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            f[at + i] = uint8_t(v >> (8 * i));
    };
    f[0] = 'B', f[1] = 'M';
    put32(2, 70), put32(10, 66), put32(14, 40), put32(18, 1), put32(22, 1);
    f[26] = 1, f[28] = 32, f[30] = 3;
    put32(54, 0xFFFFFFFF), put32(58, 0xFF00), put32(62, 0xFF);
    put32(66, 0x80000000);
    TRecordingHost host;
    TImageDocument doc;
    EXPECT_EQ(LoadBitmapFromBytes(doc, f, "mask.bmp", kKindBmp), TLoadResult::Loaded);
}
