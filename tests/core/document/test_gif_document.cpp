#include "core/document/gif_document.h"

#include "core/base/bitmap.h"
#include "core/document/open_image.h"
#include "core/formats/recording_host.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orv;
using namespace orv::formats_test;

TEST(GifDocument, DisplayedPictureBecomesAOneImageGifWithItsLabels) {
    TBitmap picture;
    picture.Width = 5;
    picture.Height = 3;
    picture.BitCount = 8;
    picture.Palette.assign(256, 0);
    for (int i = 0; i < 256; ++i)
        picture.Palette[size_t(i)] = MakeColor(uint8_t(i), uint8_t(i), uint8_t(i));
    for (int i = 0; i < 15; ++i)
        picture.Pixels.push_back(uint8_t(i * 10));
    TImageDocument doc;
    doc.FileName = "/data/ccd/m31.fit";
    doc.DisplayStream = picture.ToBmpFile();
    struct Host : TDocumentHost {
        std::vector<std::pair<std::string, float>> Seen;
        void Progress(const std::string& label, float f) override { Seen.emplace_back(label, f); }
    } host;
    const std::string path =
        (std::filesystem::temp_directory_path() / "orvanel_gif_document_export.gif").string();
    WriteDisplayedPictureAsGif(doc, path, host);
    ASSERT_FALSE(host.Seen.empty());
    EXPECT_EQ(host.Seen.front(), (std::pair<std::string, float>{"Conversion de l'image : m31.fit", 0}));
    EXPECT_EQ(host.Seen.back(), (std::pair<std::string, float>{"Compression de l'image numéro 1", 1}));

    TGifFile gif;
    gif.LoadFromFile(path);
    ASSERT_EQ(gif.SubImages.size(), 1u);
    EXPECT_EQ(gif.Flags, 0xB3) << "15 grey levels: a table of 16";
    EXPECT_EQ(gif.SubImages[0]->GetDelay(), 0);
    const TBitmap& shown = gif.SubImages[0]->GetBitmap();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(shown.PixelColor(x, y), picture.PixelColor(x, y));

    // Opened again, its first image is the document's picture: an 8-bit bitmap file image.
    TImageDocument back;
    ASSERT_EQ(OpenImage(back, path, host), TLoadResult::Loaded);
    EXPECT_EQ(back.Kind, kKindGif);
    const std::vector<uint8_t>& bmp = back.DisplayStream;
    ASSERT_GE(bmp.size(), 1078u);
    EXPECT_EQ(bmp[10] | bmp[11] << 8, 1078);
    EXPECT_EQ(TBitmap::FromBmpFile(bmp), shown);
    std::filesystem::remove(path);
}

TEST(GifDocument, FirstImageOfADecodedFileBecomesThePicture) {
    TGifFile gif;
    TColorTable table;
    InitColorTable(table, 2);
    table.Entries[1] = {200, 100, 50};
    TByteArray2D first(5, 3), second(2, 2);
    first.SetCell(2, 1, 1);
    gif.AddSubImage(table, first, 10);
    gif.AddSubImage(table, second, 10);

    TImageDocument doc;
    ASSERT_EQ(OpenGifImage(doc, gif, "/anim/comet.gif"), TLoadResult::Loaded);
    EXPECT_EQ(doc.Kind, kKindGif);
    EXPECT_EQ(doc.PixelType, kPixelNone);
    EXPECT_EQ(TBitmap::FromBmpFile(doc.DisplayStream), gif.SubImages[0]->GetBitmap());
    EXPECT_EQ(doc.Caption, "Image : comet.gif (5x3) ");

    const TGifFile none; // a GIF file without an image: refused without a word
    TImageDocument nothing;
    EXPECT_EQ(OpenGifImage(nothing, none, "/anim/empty.gif"), TLoadResult::Refused);
    EXPECT_TRUE(IsEmptyDocument(nothing));
}
