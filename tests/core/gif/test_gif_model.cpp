#include "core/gif/bitmap_to_matrix.h"
#include "core/gif/gif_bitmap_file.h"
#include "core/gif/gif_errors.h"
#include "core/gif/gif_file.h"
#include "core/gif/global_colours.h"

#include "core/message_of.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <thread>

using namespace orv;

namespace {

TBitmap TrueColor(int w, int h, const std::vector<uint32_t>& colors) {
    TBitmap b;
    b.Width = w;
    b.Height = h;
    b.BitCount = 24;
    for (uint32_t c : colors) {
        b.Pixels.push_back(uint8_t(c >> 16));
        b.Pixels.push_back(uint8_t(c >> 8));
        b.Pixels.push_back(uint8_t(c));
    }
    return b;
}

TColorTable Table(int count) {
    TColorTable t;
    InitColorTable(t, count);
    return t;
}

} // namespace

TEST(ColorTable, DefaultEntriesAndLookUp) {
    TColorTable t = Table(16);
    EXPECT_EQ(t.Entries[8], (TColorEntry{192, 192, 192}));
    EXPECT_EQ(t.Entries[9], (TColorEntry{255, 0, 0}));
    EXPECT_EQ(Table(256).Entries[77], (TColorEntry{77, 77, 77}));
    EXPECT_EQ(Table(2).Entries[1], (TColorEntry{255, 255, 255}));
    TColorTable kept = Table(256);
    InitColorTable(kept, 4); // other counts keep the entries
    EXPECT_EQ(kept.Count, 4);
    EXPECT_EQ(kept.Entries[3], (TColorEntry{3, 3, 3}));

    EXPECT_EQ(FindColor(t, MakeColor(255, 0, 0)), 9);
    EXPECT_EQ(FindColor(t, MakeColor(0, 0, 255)), 12); // blue is the third byte
    EXPECT_EQ(FindColor(t, MakeColor(1, 2, 3)), -1);
    t.Count = 9; // only the first Count entries are searched
    EXPECT_EQ(FindColor(t, MakeColor(255, 0, 0)), -1);
    uint8_t r, g, b;
    SplitColor(0x00332211, r, g, b);
    EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{0x11, 0x22, 0x33}));
}

TEST(GifSubImage, ColorCountGivesBitsAndCodeSize) {
    struct Case {
        uint16_t count;
        int bits, codeSize;
    };
    for (const Case c : {Case{2, 1, 2}, Case{4, 2, 2}, Case{8, 3, 3}, Case{16, 4, 4}, Case{32, 5, 5},
                         Case{64, 6, 6}, Case{128, 7, 7}, Case{256, 8, 8}}) {
        TGifSubImage s(c.count, nullptr);
        EXPECT_EQ(s.BitsPerPixel, c.bits) << c.count;
        EXPECT_EQ(s.CodeSize, c.codeSize) << c.count;
        EXPECT_EQ(s.LocalTable.Count, c.count);
        EXPECT_EQ(s.Descriptor.Flags, 0) << "no local table yet";
    }
    for (uint16_t bad : {0, 1, 3, 17, 255, 512})
        EXPECT_EQ(MessageOf([&] { TGifSubImage s(bad, nullptr); }),
                  "Le nombre de couleurs doit être 2, 4, 8, 16 or 256")
            << bad;
}

TEST(GifSubImage, FlagsPackAndUnpack) {
    TGifSubImage s(256, nullptr);
    struct Case {
        bool local, interlaced;
        int bits;
        uint8_t flags;
    };
    for (const Case c : {Case{false, false, 8, 0x00}, Case{true, false, 8, 0x87}, Case{true, false, 1, 0x80},
                         Case{false, true, 4, 0x40}, Case{true, true, 4, 0xC3}}) {
        s.HasLocalTable = c.local;
        s.Interlaced = c.interlaced;
        s.BitsPerPixel = uint8_t(c.bits);
        s.PackFlags();
        EXPECT_EQ(s.Descriptor.Flags, c.flags);
        s.HasLocalTable = !c.local;
        s.Interlaced = !c.interlaced;
        s.UnpackFlags();
        EXPECT_EQ(s.HasLocalTable, c.local);
        EXPECT_EQ(s.Interlaced, c.interlaced);
        if (c.local) {
            EXPECT_EQ(s.BitsPerPixel, c.bits);
        }
    }
}

TEST(GifSubImage, DelayIsTheLastGraphicControls) {
    TGifSubImage s(2, nullptr);
    EXPECT_EQ(s.GetDelay(), 0);
    s.AddGraphicControl(15);
    TExtension comment;
    comment.ExtensionKind = ekComment;
    s.Extensions.push_back(comment);
    EXPECT_EQ(s.GetDelay(), 15);
    s.AddGraphicControl(40);
    EXPECT_EQ(s.GetDelay(), 40);
    const TExtension& g = s.Extensions.back();
    EXPECT_EQ(g.BlockSize, 4);
    EXPECT_EQ(g.Flags, 0);
    EXPECT_EQ(g.TransparentIndex, 0);
}

TEST(GifFile, AddSubImageFillsGlobalThenLocalTablesAndTheScreen) {
    TGifFile gif;
    EXPECT_EQ(gif.GlobalTable.Count, 2);
    EXPECT_EQ(gif.TableBits, 1);
    TColorTable sixteen = Table(16), full = Table(256);
    sixteen.Entries[0] = {1, 2, 3};
    gif.AddSubImage(sixteen, TByteArray2D(10, 30), 15);
    EXPECT_EQ(gif.Flags, 0xB3);
    EXPECT_EQ(gif.GlobalTable, sixteen);
    gif.AddSubImage(full, TByteArray2D(40, 20), 7);
    ASSERT_EQ(gif.SubImages.size(), 2u);
    EXPECT_EQ(gif.Flags, 0xB3) << "the global table is the first image's";
    const TGifSubImage& second = *gif.SubImages[1];
    EXPECT_TRUE(second.HasLocalTable);
    EXPECT_EQ(second.Descriptor.Flags, 0x87);
    EXPECT_EQ(second.LocalTable, full);
    EXPECT_EQ(second.GetDelay(), 7);
    EXPECT_EQ(gif.SubImages[0]->Descriptor.Flags, 0x00);
    EXPECT_EQ(gif.ScreenWidth, 40);
    EXPECT_EQ(gif.ScreenHeight, 30);
    EXPECT_EQ(second.Descriptor.Left, 0);
    EXPECT_EQ(second.Pixels.Cols(), 40);
}

TEST(GifFile, ColourCountsTheFileRefuses) {
    TGifFile gif;
    EXPECT_EQ(MessageOf([&] { gif.AddSubImage(Table(5), TByteArray2D(1, 1), 0); }),
              "Le nombre de couleurs doit être 2, 4, 8, 16 or 256");
    EXPECT_TRUE(gif.SubImages.empty());
    // 4 passes the image's check but not the file's; the image is already in.
    EXPECT_EQ(MessageOf([&] { gif.AddSubImage(Table(4), TByteArray2D(1, 1), 0); }),
              "Mauvais nombre de couleurs");
    EXPECT_EQ(gif.SubImages.size(), 1u);
    TGifFile wide;
    EXPECT_THROW(wide.AddSubImage(Table(2), TByteArray2D(70000, 1), 0), EGifException);
    EXPECT_TRUE(wide.SubImages.empty());
    TGifFile flags;
    for (auto [count, bits, expected] :
         {std::tuple{2, 1, 0x80}, std::tuple{16, 4, 0xB3}, std::tuple{256, 8, 0xF7}}) {
        flags.GlobalTable.Count = count;
        flags.TableBits = uint8_t(bits);
        flags.PackFlags();
        EXPECT_EQ(flags.Flags, expected);
        flags.Flags = uint8_t(expected);
        flags.UnpackFlags();
        EXPECT_EQ(flags.GlobalTable.Count, count);
    }
}

TEST(GifSubImage, BitmapHasTheWholeTableAndRowsTopFirstAndItsFileTheFixedLayout) {
    TGifFile gif;
    TColorTable t = Table(2);
    t.Entries[1] = {10, 20, 30};
    t.Entries[200] = {1, 1, 1}; // past Count, still in the palette
    TByteArray2D m(3, 2);
    m.SetCell(2, 1, 1);
    gif.AddSubImage(t, m, 0);
    const TBitmap& b = gif.SubImages[0]->GetBitmap();
    EXPECT_EQ(&b, &gif.SubImages[0]->GetBitmap()) << "built once";
    EXPECT_EQ(b.BitCount, 8);
    ASSERT_EQ(b.Palette.size(), 256u);
    EXPECT_EQ(b.Palette[200], MakeColor(1, 1, 1));
    EXPECT_EQ(b.PixelColor(1, 0), MakeColor(10, 20, 30));
    EXPECT_EQ(b.PixelColor(1, 1), MakeColor(0, 0, 0));

    const std::vector<uint8_t> file = GifBitmapFile(b);
    ASSERT_EQ(file.size(), 1078u + 2 * 4);
    EXPECT_EQ(file[10] | file[11] << 8, 1078);
    EXPECT_EQ(file[38], 143);
    EXPECT_EQ(file[42], 143);
    EXPECT_EQ(file[28], 8);
    EXPECT_EQ(file[54 + 4 + 0], 30) << "blue first";
    EXPECT_EQ(file[54 + 4 + 2], 10);
    EXPECT_EQ(file[1078 + 4 + 1], 1) << "the first matrix row is the last file row";
    EXPECT_EQ(file[1078 + 1], 0);
    EXPECT_EQ(TBitmap::FromBmpFile(file), b);
}

TEST(BitmapToMatrix, ColoursInOrderOfFirstAppearanceAndRoundedCount) {
    const uint32_t red = MakeColor(255, 0, 0), green = MakeColor(0, 255, 0), blue = MakeColor(0, 0, 255);
    TColorTable t;
    TByteArray2D m;
    BitmapToMatrix(TrueColor(2, 2, {green, red, red, blue}), t, m);
    EXPECT_EQ(t.Count, 16);
    EXPECT_EQ(t.Entries[0], (TColorEntry{0, 255, 0}));
    EXPECT_EQ(t.Entries[1], (TColorEntry{255, 0, 0}));
    EXPECT_EQ(t.Entries[2], (TColorEntry{0, 0, 255}));
    EXPECT_EQ(m.GetCell(1, 1), 0);
    EXPECT_EQ(m.GetCell(2, 1), 1);
    EXPECT_EQ(m.GetCell(1, 2), 1);
    EXPECT_EQ(m.GetCell(2, 2), 2);

    struct Case {
        int colors, count;
    };
    for (const Case c : {Case{1, 2}, Case{2, 2}, Case{3, 16}, Case{16, 16}, Case{17, 256}, Case{256, 256}}) {
        std::vector<uint32_t> pixels;
        for (int i = 0; i < c.colors; ++i)
            pixels.push_back(MakeColor(uint8_t(i), 7, 9));
        BitmapToMatrix(TrueColor(c.colors, 1, pixels), t, m);
        EXPECT_EQ(t.Count, c.count) << c.colors;
        EXPECT_EQ(m.GetCell(c.colors, 1), c.colors - 1);
    }
    // A black bitmap: zeros and a two-entry table that the file accepts.
    BitmapToMatrix(TrueColor(3, 1, {0, 0, 0}), t, m);
    EXPECT_EQ(t.Count, 2);
    EXPECT_EQ(t.Entries[0], (TColorEntry{0, 0, 0}));
    TGifFile gif;
    gif.AddSubImage(t, m, 0);
    EXPECT_EQ(gif.Flags, 0x80);
}

TEST(BitmapToMatrix, PalettedBitmapMapsIndicesOnceAndMergesEqualColours) {
    TBitmap b;
    b.Width = 4;
    b.Height = 1;
    b.BitCount = 8;
    b.Palette.assign(256, 0);
    b.Palette[7] = MakeColor(9, 9, 9);
    b.Palette[3] = MakeColor(9, 9, 9); // same colour under another index
    b.Palette[5] = MakeColor(1, 2, 3);
    b.Pixels = {5, 7, 3, 0};
    std::vector<float> fractions;
    TProgress progress([&](const std::string&, float f) { fractions.push_back(f); });
    TColorTable t;
    TByteArray2D m;
    BitmapToMatrix(b, t, m, progress);
    EXPECT_EQ(m.GetCell(1, 1), 0);
    EXPECT_EQ(m.GetCell(2, 1), 1);
    EXPECT_EQ(m.GetCell(3, 1), 1);
    EXPECT_EQ(m.GetCell(4, 1), 2);
    EXPECT_EQ(t.Entries[0], (TColorEntry{1, 2, 3}));
    EXPECT_EQ(t.Count, 16);
    EXPECT_EQ(fractions, (std::vector<float>{0, 1}));
}

TEST(BitmapToMatrix, ABitmapFileGivesWhatItsDecodedBitmapGives) {
    TBitmap paletted;
    paletted.Width = 5;
    paletted.Height = 3;
    paletted.Palette.assign(256, MakeColor(4, 5, 6));
    paletted.Palette[200] = MakeColor(1, 2, 3);
    // Index 9 first met on the last row; 1 and 250 share the default colour.
    paletted.Pixels = {200, 1, 1, 250, 200, 0, 250, 1, 200, 0, 1, 9, 0, 200, 255};
    std::vector<uint8_t> bottomUp = paletted.ToBmpFile(), topDown = bottomUp;
    const size_t stride = 8, at = 1078;
    for (size_t y = 0; y < 3; ++y)
        std::copy_n(bottomUp.begin() + long(at + (2 - y) * stride), stride,
                    topDown.begin() + long(at + y * stride));
    topDown[25] = topDown[24] = topDown[23] = 0xFF, topDown[22] = uint8_t(-3);
    const std::vector<uint8_t> trueColor = TrueColor(2, 2, {7, 8, 8, 7}).ToBmpFile();
    const std::vector<uint8_t>* files[] = {&bottomUp, &topDown, &trueColor};
    for (const std::vector<uint8_t>* file : files) {
        TColorTable want, got;
        TByteArray2D wantMatrix, gotMatrix;
        BitmapToMatrix(TBitmap::FromBmpFile(*file), want, wantMatrix);
        BmpFileToMatrix(*file, got, gotMatrix);
        EXPECT_EQ(got.Count, want.Count);
        EXPECT_TRUE(std::equal(got.Entries.begin(), got.Entries.begin() + got.Count, want.Entries.begin()));
        ASSERT_EQ(gotMatrix.Cells().Size(), wantMatrix.Cells().Size());
        EXPECT_TRUE(std::equal(gotMatrix.Cells().Memory(),
                               gotMatrix.Cells().Memory() + gotMatrix.Cells().Size(),
                               wantMatrix.Cells().Memory()));
    }
    TColorTable t;
    TByteArray2D m;
    EXPECT_THROW(BmpFileToMatrix(std::vector<uint8_t>(bottomUp.begin(), bottomUp.end() - 1), t, m),
                 EBitmapError);
}

TEST(BitmapToMatrix, ProgressOncePerRow) {
    std::vector<float> fractions;
    TProgress progress([&](const std::string&, float f) { fractions.push_back(f); });
    TColorTable t;
    TByteArray2D m;
    BitmapToMatrix(TrueColor(1, 4, {1, 2, 3, 4}), t, m, progress);
    EXPECT_EQ(fractions, (std::vector<float>{0, 0.25f, 0.5f, 0.75f, 1}));
}

TEST(BitmapToMatrix, MoreThan256ColoursAreReducedToNearColours) {
    // A smooth gradient of 64 x 64 distinct colours.
    const int w = 64, h = 64;
    std::vector<uint32_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.push_back(MakeColor(uint8_t(4 * x), uint8_t(4 * y), uint8_t(2 * (x + y))));
    TColorTable t;
    TByteArray2D m;
    BitmapToMatrix(TrueColor(w, h, pixels), t, m);
    EXPECT_EQ(t.Count, 256);
    std::set<int> used;
    double worst = 0;
    for (int y = 1; y <= h; ++y)
        for (int x = 1; x <= w; ++x) {
            const int i = m.GetCell(x, y);
            used.insert(i);
            const uint32_t c = pixels[size_t((y - 1) * w + x - 1)];
            const TColorEntry& e = t.Entries[size_t(i)];
            double d = 0;
            for (int k = 0; k < 3; ++k)
                d += std::pow(double(e[size_t(k)]) - double(uint8_t(c >> (8 * k))), 2);
            worst = std::max(worst, std::sqrt(d));
        }
    EXPECT_GT(used.size(), 200u) << "the table is put to use";
    EXPECT_LT(worst, 24) << "every pixel keeps a near colour";
    EXPECT_EQ(m.GetCell(1, 1), 0) << "first appearance still decides the order";
}

TEST(GlobalColours, FramesShareOneTableExactUpTo256ColoursElseEachPixelTakesTheNearest) {
    const uint32_t red = MakeColor(255, 0, 0), green = MakeColor(0, 255, 0), blue = MakeColor(0, 0, 255);
    // Exact: colours met in either frame, in either order, give one table.
    const TBitmap a = TrueColor(2, 1, {red, green}), b = TrueColor(2, 1, {blue, red});
    TGlobalColours ab, ba;
    ab.Meet(a), ab.Meet(b), ab.Choose();
    ba.Meet(b), ba.Meet(a), ba.Choose();
    EXPECT_EQ(ab.Table(), ba.Table());
    EXPECT_EQ(ab.Table().Count, 16);
    for (const TBitmap* picture : {&a, &b}) {
        const TByteArray2D m = ab.Map(*picture);
        for (int x = 1; x <= 2; ++x) {
            const TColorEntry& e = ab.Table().Entries[m.GetCell(x, 1)];
            EXPECT_EQ(MakeColor(e[0], e[1], e[2]), picture->PixelColor(x - 1, 0));
        }
    }
    // Two frames of 600 colours between them: each pixel the nearest entry, ties to the lower.
    std::mt19937 random(19);
    std::vector<uint32_t> first, second;
    for (int i = 0; i < 300; ++i) {
        first.push_back(random() & 0xFFFFFF);
        second.push_back(random() & 0x7F7F7F);
    }
    TGlobalColours many;
    const TBitmap f = TrueColor(300, 1, first), s = TrueColor(300, 1, second);
    many.Meet(f), many.Meet(s), many.Choose();
    const TColorTable& t = many.Table();
    ASSERT_EQ(t.Count, 256);
    auto distance = [](const TColorEntry& e, uint32_t c) {
        int d = 0;
        for (int k = 0; k < 3; ++k)
            d += (int(e[size_t(k)]) - int(uint8_t(c >> (8 * k)))) *
                 (int(e[size_t(k)]) - int(uint8_t(c >> (8 * k))));
        return d;
    };
    for (const auto& [picture, colours] : {std::pair{&f, &first}, std::pair{&s, &second}}) {
        const TByteArray2D m = many.Map(*picture);
        for (int x = 1; x <= 300; ++x) {
            const int i = m.GetCell(x, 1);
            const uint32_t c = (*colours)[size_t(x - 1)];
            for (int j = 0; j < 256; ++j)
                ASSERT_TRUE(
                    distance(t.Entries[size_t(j)], c) > distance(t.Entries[size_t(i)], c) ||
                    (distance(t.Entries[size_t(j)], c) == distance(t.Entries[size_t(i)], c) && j >= i))
                    << "pixel " << x << " index " << i << " entry " << j;
        }
    }
    // Ties to the lower index: (1, 1, 0) lies 2 away from each of the three entries.
    TColorTable three;
    three.Entries[0] = {0, 0, 0}, three.Entries[1] = {2, 0, 0}, three.Entries[2] = {0, 2, 0};
    EXPECT_EQ(NearestColour(three, 3, MakeColor(1, 1, 0)), 0);
    EXPECT_EQ(NearestColour(three, 3, MakeColor(1, 2, 0)), 2);
}

TEST(GlobalColours, PicturesMetOnSeveralThreadsGiveTheSameTableAndEachPixelTheNearest) {
    // Colours spread over thousands of 8 x 8 x 8 cells, some pixels of one colour many times.
    std::mt19937 random(7);
    std::vector<TBitmap> pictures;
    for (int k = 0; k < 4; ++k) {
        std::vector<uint32_t> pixels;
        for (int i = 0; i < 3000; ++i)
            pixels.push_back(i % 5 == 0 ? MakeColor(200, 40, uint8_t(k)) : random() & 0xFFFFFF);
        pictures.push_back(TrueColor(100, 30, pixels));
    }
    TGlobalColours serial, threaded;
    for (const TBitmap& p : pictures)
        serial.Meet(p);
    {
        std::vector<std::thread> threads;
        for (size_t t = 0; t < 2; ++t)
            threads.emplace_back([&, t] {
                for (size_t k = t; k < pictures.size(); k += 2)
                    threaded.Meet(pictures[k]);
            });
        for (std::thread& t : threads)
            t.join();
    }
    serial.Choose(), threaded.Choose();
    ASSERT_EQ(serial.Table(), threaded.Table());
    const TColorTable& t = threaded.Table();
    ASSERT_EQ(t.Count, 256);
    for (const TBitmap& p : pictures) {
        const TByteArray2D m = threaded.Map(p);
        for (int y = 0; y < p.Height; ++y)
            for (int x = 0; x < p.Width; ++x)
                ASSERT_EQ(m.GetCell(x + 1, y + 1), NearestColour(t, t.Count, p.PixelColor(x, y)))
                    << x << "," << y;
    }
}
