#include "core/formats/palette_file.h"

#include "core/base/errors.h"
#include "core/formats/recording_host.h"
#include "core/formats/temp_dir.h"
#include "core/image/display.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::formats_test;

namespace {

std::vector<uint8_t> PaletteFile(size_t size, const char* signature = "PAL") {
    std::vector<uint8_t> f(size, 0);
    for (size_t i = 0; i < 3 && i < size; ++i)
        f[i] = static_cast<uint8_t>(signature[i]);
    for (size_t i = 3; i < std::min<size_t>(18, size); ++i)
        f[i] = static_cast<uint8_t>(0xA0 + i);
    for (size_t at = 18; at < size; ++at) {
        const size_t entry = (at - 18) / 4, component = (at - 18) % 4;
        f[at] = component == 3 ? 0xEE : static_cast<uint8_t>(255 - entry - component);
    }
    return f;
}

TImageDocument PicDocument() {
    TImageDocument doc;
    doc.Kind = kKindPic;
    doc.PixelType = kPixelInt16;
    doc.ImageWidth = 2;
    doc.ImageHeight = 1;
    doc.PixelStore = {0, 0, 0xFF, 0x3F};
    doc.HighThreshold = 16383;
    Render(doc);
    return doc;
}

} // namespace

TEST(PaletteFile, EntriesAreRedGreenBlueAndOneUnusedByte) {
    std::vector<uint8_t> f = PaletteFile(1042);
    f[18] = 255, f[19] = 0, f[20] = 0, f[21] = 7;
    TRecordingHost host;
    TImageDocument doc = PicDocument();
    EXPECT_TRUE(ApplyPaletteBytes(doc, f, "/p/rouge.pal", host));
    EXPECT_EQ(doc.Palette[0], (TPaletteEntry{0, 0, 255})); // pure red: blue 0, green 0, red 255
    EXPECT_EQ(doc.Palette[255], (TPaletteEntry{254, 255, 0}));
    EXPECT_TRUE(std::equal(doc.PaletteHeader.begin(), doc.PaletteHeader.end(), f.begin()));
    // Rendered again: the colour table of the bitmap is the new palette.
    EXPECT_EQ(doc.DisplayStream[54], 0);
    EXPECT_EQ(doc.DisplayStream[56], 255);
    EXPECT_EQ(doc.DisplayStream[57], 0);
    EXPECT_TRUE(host.Messages.empty());
}

TEST(PaletteFile, ShortFilesLeaveLaterEntriesAsTheyWere) {
    struct Case {
        size_t size;
        size_t replaced; // whole entries replaced
        size_t partial;  // components of the next entry replaced
    };
    for (const Case& c : std::vector<Case>{{18 + 400, 100, 0},
                                           {18 + 401, 100, 1},
                                           {18 + 403, 100, 3},
                                           {18, 0, 0},
                                           {3, 0, 0},
                                           {2000, 256, 0}}) {
        TRecordingHost host;
        TImageDocument doc = PicDocument();
        const auto before = doc.Palette;
        const auto f = PaletteFile(c.size);
        ApplyPaletteBytes(doc, f, "short.pal", host);
        for (size_t i = 0; i < 256; ++i) {
            for (size_t comp = 0; comp < 3; ++comp) {
                const bool replaced = i < c.replaced || (i == c.replaced && comp < c.partial);
                const uint8_t want = replaced ? static_cast<uint8_t>(255 - i - comp) : before[i][2 - comp];
                EXPECT_EQ(doc.Palette[i][2 - comp], want)
                    << c.size << " entry " << i << " component " << comp;
            }
        }
    }
}

TEST(PaletteFile, WrongSignatureIsRefusedButItsHeaderKept) {
    TTempDir dir;
    const auto f = PaletteFile(1042, "PAX");
    const std::string path = dir.Write("grey.pal", f);
    TRecordingHost host;
    TImageDocument doc = PicDocument();
    const auto palette = doc.Palette;
    const auto display = doc.DisplayStream;
    EXPECT_FALSE(ApplyPaletteFile(doc, path, host));
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_EQ(host.Messages[0].Kind, TMsgKind::Warning);
    EXPECT_EQ(host.Messages[0].Buttons, TButtons::Ok);
    EXPECT_EQ(host.Messages[0].Text,
              "Le fichier grey.pal\nn'est pas une palette couleur d'Quenno !\nopen aborted");
    EXPECT_EQ(doc.Palette, palette);
    EXPECT_EQ(doc.DisplayStream, display);
    EXPECT_TRUE(std::equal(doc.PaletteHeader.begin(), doc.PaletteHeader.end(), f.begin()));
}

TEST(PaletteFile, VanishedFileChangesNothing) {
    TTempDir dir;
    TRecordingHost host;
    TImageDocument doc = PicDocument();
    doc.PaletteHeader.fill(9);
    const std::string path = dir.File("spectre.PAL");
    try {
        ApplyPaletteFile(doc, path, host);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Ne peut ouvrir le fichier " + path);
    }
    EXPECT_EQ(doc.PaletteHeader[0], 9);
    EXPECT_TRUE(host.Messages.empty());
}

TEST(PaletteFile, BitmapDocumentsAreLeftAlone) {
    TRecordingHost host;
    TImageDocument doc;
    doc.Kind = kKindBmp;
    const auto palette = doc.Palette;
    EXPECT_FALSE(ApplyPaletteBytes(doc, PaletteFile(1042), "x.pal", host));
    EXPECT_EQ(doc.Palette, palette);
    EXPECT_EQ(doc.PaletteHeader[0], 0);
}
