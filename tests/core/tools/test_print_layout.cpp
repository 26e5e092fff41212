#include "core/tools/print_layout.h"

#include <gtest/gtest.h>

#include <limits>

using namespace orv;

namespace {
const TSize kPortraitPage{4800, 6600};
const TSize kLandscapePage{6600, 4800};
const TSize kImage{512, 512};
} // namespace

TEST(PrintLayout, FactorField) {
    const struct {
        const char* Text;
        int32_t Factor;
    } cases[] = {{"1", 1}, {"13", 13}, {" 9 ", 9}, {"200", 200}, {"201", 200}, {"99999", 200},
                 {"0", 1}, {"-5", 1},  {"", 1},    {"abc", 1},   {"2.5", 1}};
    for (const auto& c : cases)
        EXPECT_EQ(PrintFactor(c.Text), c.Factor) << c.Text;
}

TEST(PrintLayout, SheetInThePreview) {
    const struct {
        TOrientation Orientation;
        TSize Page, Sheet;
    } cases[] = {
        {TOrientation::Portrait, kPortraitPage, {73, 100}},
        {TOrientation::Landscape, kLandscapePage, {100, 73}},
        {TOrientation::Portrait, {1, 8}, {12, 100}}, // 12.5: halves to even
        {TOrientation::Portrait, {3, 8}, {38, 100}}, // 37.5
        {TOrientation::Landscape, {8, 1}, {100, 12}},
        {TOrientation::Portrait, {100, 100}, {100, 100}},
        {TOrientation::Portrait, {4800, 0}, {0, 0}},
        {TOrientation::Landscape, {0, 4800}, {0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SheetOnShow(c.Orientation, c.Page), c.Sheet) << c.Page.Width << "x" << c.Page.Height;
        EXPECT_EQ(SheetOnChoice(c.Orientation, c.Page), c.Sheet) << c.Page.Width << "x" << c.Page.Height;
    }
}

TEST(PrintLayout, PrintedSizeAndPageRectangle) {
    EXPECT_EQ(PrintSize(1, kImage), (TSize{512, 512}));
    EXPECT_EQ(PrintSize(9, {512, 300}), (TSize{4608, 2700}));
    EXPECT_EQ(PrintRectangle(9, kImage), (TRectangle{0, 0, 4608, 4608}));
    EXPECT_EQ(PrintRectangle(13, kImage), (TRectangle{0, 0, 6656, 6656}));
    const int32_t big = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(PrintSize(200, {20000000, 3}), (TSize{big, 600}));
}

TEST(PrintLayout, Preview) {
    const struct {
        const char* Name;
        TOrientation Orientation;
        TSize Page;
        int32_t Factor;
        TRectangle Picture, Strip;
        TSize Visible;
    } cases[] = {
        {"factor 1", TOrientation::Portrait, kPortraitPage, 1, {0, 0, 8, 8}, {73, 0, 100, 100}, {8, 8}},
        {"factor 9", TOrientation::Portrait, kPortraitPage, 9, {0, 0, 70, 70}, {73, 0, 100, 100}, {70, 70}},
        {"factor 13 cut at the sheet's right edge",
         TOrientation::Portrait,
         kPortraitPage,
         13,
         {0, 0, 101, 101},
         {73, 0, 100, 100},
         {73, 100}},
        {"landscape factor 13 cut at the bottom",
         TOrientation::Landscape,
         kLandscapePage,
         13,
         {0, 0, 101, 101},
         {0, 73, 100, 100},
         {100, 73}},
        {"landscape factor 9",
         TOrientation::Landscape,
         kLandscapePage,
         9,
         {0, 0, 70, 70},
         {0, 73, 100, 100},
         {70, 70}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TSize sheet = SheetOnShow(c.Orientation, c.Page);
        const TPreview p = PreviewLayout(c.Orientation, sheet, c.Page, PrintSize(c.Factor, kImage));
        EXPECT_EQ(p.Sheet, (TRectangle{0, 0, sheet.Width, sheet.Height}));
        EXPECT_EQ(p.Picture, c.Picture);
        EXPECT_EQ(p.Strip, c.Strip);
        EXPECT_EQ(p.Visible, c.Visible);
    }
    // A page without area draws an empty picture rectangle.
    const TPreview empty = PreviewLayout(TOrientation::Portrait, {}, {4800, 0}, {512, 512});
    EXPECT_EQ(empty.Picture, (TRectangle{}));
    EXPECT_EQ(empty.Visible, (TSize{}));
}
