#include "core/image/image_document.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(ImageDocument, StartsEmptyWithAGreyPalette) {
    TImageDocument doc;
    EXPECT_EQ(doc.Kind, kKindEmpty);
    EXPECT_TRUE(doc.FirstShow);
    EXPECT_FALSE(doc.Modified);
    EXPECT_EQ(doc.Caption, "Image :");
    EXPECT_EQ(doc.Palette[200], (TPaletteEntry{200, 200, 200}));
    EXPECT_EQ(doc.Header.BScale, 1);
    EXPECT_EQ(doc.Header.ThreshHigh, 16383);
}

TEST(ImageDocument, CaptionNamesFileSizeAndPixelType) {
    TImageDocument doc;
    doc.PixelType = kPixelInt16;
    EXPECT_EQ(doc.UpdateCaption("/data/ccd/m31.fit", 768, 512), "Image : m31.fit (768x512) Entier 16 bits");
    doc.PixelType = kPixelReal32;
    EXPECT_EQ(doc.UpdateCaption("x.pic", 1, 2), "Image : x.pic (1x2) Réel 32 bits");
    doc.PixelType = kPixelInt32;
    EXPECT_EQ(doc.UpdateCaption("a", 3, 4), "Image : a (3x4) Entier 32 bits");
    doc.PixelType = kPixelReal64;
    EXPECT_EQ(doc.UpdateCaption("a", 3, 4), "Image : a (3x4) Réel 64 bits");
    doc.PixelType = kPixelNone;
    EXPECT_EQ(doc.UpdateCaption("/home/me/photo.bmp", 640, 480), "Image : photo.bmp (640x480) ");
}
