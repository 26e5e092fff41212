#include "core/gif/bitmap_to_matrix.h"
#include "core/gif/gif_errors.h"
#include "core/gif/gif_file.h"
#include "core/gif/lzw_encoder.h"

#include "core/base/file_io.h"

#include "core/message_of.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

using namespace orv;

namespace {

using TBytes = std::vector<uint8_t>;

TBytes operator+(TBytes a, const TBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TBytes Text(const std::string& s) {
    return TBytes(s.begin(), s.end());
}

TColorTable Table(int count) {
    TColorTable t;
    InitColorTable(t, count);
    return t;
}

TByteArray2D Pattern(int cols, int rows, int colors) {
    TByteArray2D m(cols, rows);
    for (int y = 1; y <= rows; ++y)
        for (int x = 1; x <= cols; ++x)
            m.SetCell(x, y, uint8_t((x * 7 + y * 3) % colors));
    return m;
}

// A file written by hand: header, screen with a two-entry global table, then `body`.
TBytes Hand(const std::string& version, const TBytes& body) {
    return Text("GIF" + version) + TBytes{4, 0, 2, 0, 0x80, 0, 0} + TBytes{0, 0, 0, 255, 255, 255} + body;
}

// An image of w x h pixels all 1, code size 2, no local table.
TBytes Image(int w, int h) {
    TByteArray2D m(w, h);
    for (int i = 1; i <= w * h; ++i)
        m.Cells().SetItem(i, 1);
    const TByteBuffer data = LzwEncode(m, false, 2);
    TBytes out{0x2C, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 0, 2};
    for (int b = 1; b <= data.BlockCount(); ++b) {
        out.push_back(uint8_t(data.GetBlock(b).size()));
        out.insert(out.end(), data.GetBlock(b).begin(), data.GetBlock(b).end());
    }
    out.push_back(0);
    return out;
}

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("orvanel_gif_io_" + name)).string();
}

} // namespace

TEST(GifWriter, OneImageFileHasTheExactBlockLayout) {
    TGifFile gif;
    TColorTable t = Table(2);
    t.Entries[1] = {200, 100, 50};
    TByteArray2D m(3, 1);
    m.SetCell(2, 1, 1);
    gif.AddSubImage(t, m, 25);
    const TBytes file = gif.SaveToMemory();
    const TBytes expected = Text("GIF89a") + TBytes{3, 0, 1, 0, 0x80, 0, 0} + TBytes{0, 0, 0, 200, 100, 50} +
                            TBytes{0x21, 0xF9, 4, 0, 25, 0, 0, 0} + TBytes{0x21, 0xFF, 0x0B} +
                            Text("NETSCAPE2.0") + TBytes{3, 1, 0, 0, 0} +
                            TBytes{0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0x00} + TBytes{2, 2, 0x44, 0x50, 0} +
                            TBytes{0x3B};
    EXPECT_EQ(file, expected);
}

TEST(GifWriter, LaterImagesCarryLocalTablesAndTheLoopingBlockComesOnce) {
    TGifFile gif;
    gif.AddSubImage(Table(16), Pattern(5, 4, 16), 10);
    gif.AddSubImage(Table(256), Pattern(6, 3, 256), 20);
    gif.AddSubImage(Table(2), Pattern(2, 2, 2), 30);
    std::vector<std::pair<std::string, float>> progress;
    TProgress report([&](const std::string& label, float f) { progress.emplace_back(label, f); });
    const TBytes file = gif.SaveToMemory(report);
    EXPECT_EQ(file[10], 0xB3);
    const std::string text(file.begin(), file.end());
    EXPECT_EQ(text.find("NETSCAPE2.0"), text.rfind("NETSCAPE2.0"));
    EXPECT_EQ(text.find("NETSCAPE2.0"), 13u + 48 + 8 + 3)
        << "between image 1's graphic control and its separator";
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), (std::pair<std::string, float>{"Compression de l'image numéro 1", 0}));
    EXPECT_EQ(progress.back(), (std::pair<std::string, float>{"Compression de l'image numéro 3", 1}));

    TGifFile back;
    back.LoadFromMemory(file);
    ASSERT_EQ(back.SubImages.size(), 3u);
    const int delays[] = {10, 20, 30};
    const uint8_t flags[] = {0x00, 0x87, 0x80};
    for (size_t k = 0; k < 3; ++k) {
        const TGifSubImage& in = *gif.SubImages[k];
        const TGifSubImage& out = *back.SubImages[k];
        EXPECT_EQ(out.GetDelay(), delays[k]);
        EXPECT_EQ(out.Descriptor.Flags, flags[k]);
        EXPECT_EQ(out.Pixels.Cols(), in.Pixels.Cols());
        EXPECT_TRUE(std::equal(in.Pixels.Cells().Memory(),
                               in.Pixels.Cells().Memory() + in.Pixels.Cells().Size(),
                               out.Pixels.Cells().Memory()))
            << k;
    }
    EXPECT_EQ(back.SubImages[1]->LocalTable, Table(256));
    EXPECT_EQ(back.ScreenWidth, 6);
    EXPECT_EQ(back.ScreenHeight, 4);
}

TEST(GifReader, AcceptsVersionsAndBlocksOfValidFiles) {
    struct Case {
        const char* name;
        TBytes file;
        size_t images;
        int delay;
    };
    const TBytes comment = TBytes{0x21, 0xFE, 5} + Text("hello") + TBytes{0};
    const TBytes app = TBytes{0x21, 0xFF, 11} + Text("XMP DataXMP") + TBytes{2, 9, 9, 0};
    const TBytes plain =
        TBytes{0x21, 0x01, 12, 0, 0, 0, 0, 4, 0, 1, 0, 8, 8, 1, 0, 3} + Text("abc") + TBytes{0};
    const TBytes gce5 = TBytes{0x21, 0xF9, 5, 0, 33, 0, 0, 7, 0}; // a size byte of 5
    const Case cases[] = {
        {"87a without extensions", Hand("87a", Image(4, 2) + TBytes{0x3B}), 1, 0},
        {"upper-case version", Hand("89A", Image(4, 2) + TBytes{0x3B}), 1, 0},
        {"comment, application and plain text",
         Hand("89a", comment + app + plain + Image(4, 2) + TBytes{0x3B}), 1, 0},
        {"graphic control read by its size byte", Hand("89a", gce5 + Image(4, 2) + TBytes{0x3B}), 1, 33},
        {"extensions after the last image", Hand("89a", Image(4, 2) + comment + TBytes{0x3B}), 1, 0},
        {"two images", Hand("89a", Image(4, 2) + Image(2, 2) + TBytes{0x3B}), 2, 0},
        {"no trailer", Hand("89a", Image(4, 2)), 1, 0},
        {"no trailer after two images", Hand("89a", Image(4, 2) + Image(2, 2)), 2, 0},
        {"no trailer after a last extension", Hand("89a", Image(4, 2) + comment), 1, 0},
    };
    for (const Case& c : cases) {
        TGifFile gif;
        ASSERT_NO_THROW(gif.LoadFromMemory(c.file)) << c.name;
        EXPECT_EQ(gif.SubImages.size(), c.images) << c.name;
        EXPECT_EQ(gif.SubImages[0]->GetDelay(), c.delay) << c.name;
        EXPECT_EQ(gif.SubImages[0]->Pixels.GetCell(4, 2), 1) << c.name;
    }
    TGifFile gif;
    gif.LoadFromMemory(Hand("89a", comment + app + Image(4, 2) + TBytes{0x3B}));
    const auto& ext = gif.SubImages[0]->Extensions;
    ASSERT_EQ(ext.size(), 2u);
    EXPECT_EQ(ext[0].ExtensionKind, ekComment);
    EXPECT_EQ(ext[0].SubBlocks, (std::vector<std::string>{"hello"}));
    EXPECT_EQ(ext[1].HeaderBytes.size(), 12u);
    EXPECT_EQ(ext[1].SubBlocks.size(), 1u);
    // Saving that model again drops the comment and keeps the pixels.
    const TBytes again = gif.SaveToMemory();
    EXPECT_EQ(std::string(again.begin(), again.end()).find("hello"), std::string::npos);
    // The signature bytes are not looked at; a new read replaces the images.
    TBytes odd = Hand("89a", Image(4, 2) + TBytes{0x3B});
    odd[0] = 'X';
    gif.LoadFromMemory(odd);
    EXPECT_EQ(gif.SubImages.size(), 1u);
    EXPECT_TRUE(gif.SubImages[0]->Extensions.empty());
}

TEST(GifReader, TablesOfEverySizeAreReadWhole) {
    for (int bits = 1; bits <= 8; ++bits) {
        const int count = 1 << bits;
        TBytes globalTable(size_t(count) * 3, 7);
        globalTable[size_t(count) * 3 - 1] = 99;
        TBytes file = Text("GIF89a") + TBytes{4, 0, 2, 0, uint8_t(0x80 | (bits - 1)), 0, 0} + globalTable;
        // a second image with a local table of 256 entries
        TBytes second = Image(4, 2);
        second[9] = 0x87;
        TBytes local(768, 0);
        local[767] = 42;
        second.insert(second.begin() + 10, local.begin(), local.end());
        file = file + Image(4, 2) + second + TBytes{0x3B};
        TGifFile gif;
        ASSERT_NO_THROW(gif.LoadFromMemory(file)) << count;
        EXPECT_EQ(gif.GlobalTable.Count, count);
        EXPECT_EQ(gif.GlobalTable.Entries[size_t(count - 1)][2], 99);
        ASSERT_EQ(gif.SubImages.size(), 2u);
        EXPECT_EQ(gif.SubImages[1]->LocalTable.Count, 256);
        EXPECT_EQ(gif.SubImages[1]->LocalTable.Entries[255][2], 42);
        EXPECT_EQ(gif.SubImages[1]->GetBitmap().Palette[255], MakeColor(0, 0, 42));
    }
}

TEST(GifReader, RefusesBadFilesWithClearMessages) {
    struct Case {
        const char* name;
        TBytes file;
        std::string message;
        size_t imagesKept;
    };
    const TBytes good = Hand("89a", Image(4, 2) + TBytes{0x3B});
    const TBytes noTerminator(good.begin(), good.end() - 2);
    TBytes localTable = Image(4, 2);
    localTable[9] = 0x87; // 256 entries announced, 2 given
    localTable.insert(localTable.begin() + 10, {1, 2, 3, 4, 5, 6});
    const Case cases[] = {
        {"version 88a", Hand("88a", Image(4, 2) + TBytes{0x3B}), "Version inconue", 0},
        {"extension F8", Hand("89a", Image(4, 2) + TBytes{0x21, 0xF8, 0}),
         "Bloc d'extension inconnu.\nCode = $F8", 1},
        {"not an introducer", Hand("89a", Image(4, 2) + TBytes{0x00, 0x3B}), "Bloc inconnu.\nCode = $00", 1},
        {"nothing after the screen", Hand("89a", {}), "Fichier GIF tronqué", 0},
        {"image without its block terminator", noTerminator, "Fichier GIF tronqué", 0},
        {"second image cut", Hand("89a", Image(4, 2)) + TBytes{0x2C, 0, 0}, "Fichier GIF tronqué", 1},
        {"local table cut", Hand("89a", Image(4, 2) + localTable), "Fichier GIF tronqué", 1},
        {"header cut", TBytes(good.begin(), good.begin() + 9), "Fichier GIF tronqué", 0},
        {"global table cut", TBytes(good.begin(), good.begin() + 16), "Fichier GIF tronqué", 0},
        {"image data cut", TBytes(good.begin(), good.begin() + 27), "Fichier GIF tronqué", 0},
        {"comment cut", Hand("89a", TBytes{0x21, 0xFE, 9, 'a'}), "Fichier GIF tronqué", 0},
        {"code size 12", Hand("89a", TBytes{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 12, 1, 0, 0, 0x3B}),
         "Mauvaise taille de code", 0},
    };
    for (const Case& c : cases) {
        TGifFile gif;
        EXPECT_EQ(MessageOf([&] { gif.LoadFromMemory(c.file); }), c.message) << c.name;
        EXPECT_EQ(gif.SubImages.size(), c.imagesKept) << c.name;
    }
}

TEST(GifReader, AHugeDescriptorInATinyFileFailsWithoutAllocatingIt) {
    for (uint16_t side : {uint16_t(65535), uint16_t(20000)}) {
        const TBytes file =
            Hand("89a", TBytes{0x2C, 0, 0, 0, 0, uint8_t(side), uint8_t(side >> 8), uint8_t(side),
                               uint8_t(side >> 8), 0, 2, 2, 0x44, 0x50, 0, 0x3B});
        TGifFile gif;
        EXPECT_THROW(gif.LoadFromMemory(file), EGifException) << side;
    }
    // Data that stops early in an image of ordinary size is still read: complete rows are
    // kept and the rest stays 0.
    const TBytes shortData =
        Hand("89a", TBytes{0x2C, 0, 0, 0, 0, 100, 0, 100, 0, 0, 2, 2, 0x44, 0x50, 0, 0x3B});
    TGifFile gif;
    gif.LoadFromMemory(shortData);
    ASSERT_EQ(gif.SubImages.size(), 1u);
    EXPECT_EQ(gif.SubImages[0]->Pixels.GetCell(1, 1), 0);
}

TEST(GifWriter, SavingGoesThroughATemporaryFile) {
    const std::string path = TempPath("save.gif");
    WriteFileAtomically(path, Text("old contents"));
    TGifFile gif;
    gif.AddSubImage(Table(256), Pattern(30, 20, 256), 0);
    gif.SubImages[0]->Pixels.SetCell(1, 1, 0);
    gif.SaveToFile(path);
    TGifFile back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.SubImages.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(path + ".orvanel-tmp"));

    // A failing save (colour count the file refuses) leaves the old file as it was.
    const TBytes before = ReadWholeFile(path);
    TGifFile bad;
    bad.GlobalTable.Count = 8;
    bad.SubImages.push_back(std::make_unique<TGifSubImage>(8, &bad));
    EXPECT_EQ(MessageOf([&] { bad.SaveToFile(path); }), "Mauvais nombre de couleurs");
    EXPECT_EQ(ReadWholeFile(path), before);
    std::filesystem::remove(path);
    EXPECT_THROW(gif.SaveToFile(TempPath("no/such/dir/x.gif")), EOrvanelError);
}

TEST(GifWriter, ModelsReadFromFilesAreWrittenBackReadable) {
    // A GIF87a model (or one a failed read left with a bad version) is written as GIF89a,
    // since the file carries graphic control and looping extensions.
    TGifFile gif;
    gif.LoadFromMemory(Hand("87a", Image(4, 2) + TBytes{0x3B}));
    TBytes again = gif.SaveToMemory();
    EXPECT_EQ(TBytes(again.begin(), again.begin() + 6), Text("GIF89a"));
    TGifFile bad;
    EXPECT_THROW(bad.LoadFromMemory(Text("GIF88a") + TBytes(20, 0)), EGifException);
    bad.AddSubImage(Table(2), TByteArray2D(1, 1), 0);
    again = bad.SaveToMemory();
    EXPECT_EQ(TBytes(again.begin(), again.begin() + 6), Text("GIF89a"));

    // An image without rows: its data is the end code alone, which reads back.
    const TBytes empty = Hand("89a", TBytes{0x2C, 0, 0, 0, 0, 5, 0, 0, 0, 0, 2, 1, 0x05, 0, 0x3B});
    gif.LoadFromMemory(empty);
    ASSERT_EQ(gif.SubImages.size(), 1u);
    TGifFile back;
    back.LoadFromMemory(gif.SaveToMemory());
    ASSERT_EQ(back.SubImages.size(), 1u);
    EXPECT_EQ(back.SubImages[0]->Pixels.Cols(), 5);
    EXPECT_EQ(back.SubImages[0]->Pixels.Rows(), 0);
}
