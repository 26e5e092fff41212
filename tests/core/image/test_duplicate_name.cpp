#include "core/image/display.h"
#include "core/image/display_settings.h"
#include "core/image/duplicate_name.h"
#include "core/image/image_document.h"

#include "core/image/document_builder.h"

#include <gtest/gtest.h>

#include <set>

using namespace orv;

TEST(DuplicateName, ImageAndTheWindowCountInTheSourceFolder) {
    const struct {
        const char* Source;
        uint8_t Kind;
        int Count;
        const char* Name;
    } cases[] = {{"/ccd/M42.FIT", kKindFits, 2, "/ccd/Image2.Fit"},
                 {"/ccd/jupiter.pic", kKindPic, 5, "/ccd/Image5.Pic"},
                 {"/photos/photo.bmp", kKindBmp, 3, "/photos/Image3"},
                 {"/anim/a.gif", kKindGif, 2, "/anim/Image2"},
                 {"m31.fit", kKindFits, 2, "Image2.Fit"},
                 {"/", kKindFits, 2, "/Image2.Fit"}};
    for (const auto& c : cases)
        EXPECT_EQ(DuplicateFileName(c.Source, c.Kind, c.Count, nullptr), c.Name) << c.Source;
}

TEST(DuplicateName, SkipsNamesAlreadyTaken) {
    const std::set<std::string> taken = {"/ccd/Image2.Fit", "/ccd/Image3.Fit", "/ccd/Image5.Fit"};
    auto isTaken = [&](const std::string& n) { return taken.count(n) > 0; };
    EXPECT_EQ(DuplicateFileName("/ccd/M42.FIT", kKindFits, 2, isTaken), "/ccd/Image4.Fit");
    EXPECT_EQ(DuplicateFileName("/ccd/M42.FIT", kKindFits, 5, isTaken), "/ccd/Image6.Fit");
    EXPECT_EQ(DuplicateFileName("/ccd/M42.FIT", kKindFits, 1, isTaken), "/ccd/Image1.Fit");
    // Another extension is another name.
    EXPECT_EQ(DuplicateFileName("/ccd/sat.pic", kKindPic, 2, isTaken), "/ccd/Image2.Pic");
}

TEST(DuplicateDocument, ShowsWhatTheSourceShows) {
    for (const uint8_t kind : {kKindFits, kKindPic}) {
        auto source =
            image_test::MakeDocument<int16_t>(kind, kPixelInt16, 3, 2, {0, 100, 200, 300, 400, 500});
        source.LowThreshold = 50, source.HighThreshold = 450;
        source.DisplayFunction = TDisplayFunction::Mtf;
        source.MidtonesBalance = 0.2;
        for (size_t i = 0; i < 256; ++i)
            source.Palette[i] = {uint8_t(i), 0, uint8_t(255 - i)}; // a coloured palette, not the grey one
        source.SourceFile = "/ccd/M42.fit.gz";
        source.Modified = true;
        Render(source);

        TImageDocument copy = DuplicateDocument(source, "/ccd/Image2.Fit");
        EXPECT_EQ(DisplaySettingsOf(copy), DisplaySettingsOf(source)) << int(kind);
        Render(copy);
        EXPECT_EQ(copy.DisplayStream, source.DisplayStream) << int(kind);
        EXPECT_EQ(copy.Kind, kind);
        EXPECT_EQ(copy.FileName, "/ccd/Image2.Fit");
        EXPECT_TRUE(copy.SourceFile.empty());
        EXPECT_FALSE(copy.Modified);
    }
}
