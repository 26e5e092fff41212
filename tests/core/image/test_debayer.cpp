#include "core/image/debayer.h"

#include "core/image/colour_picture.h"
#include "core/image/document_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

using namespace orv;

namespace {

TImageDocument Mosaic(TBayerPattern pattern, int32_t w, int32_t h, const std::vector<int16_t>& values,
                      int32_t xOffset = 0, int32_t yOffset = 0) {
    TImageDocument doc = image_test::MakeDocument(kKindFits, kPixelInt16, w, h, values);
    doc.Colour.Pattern = pattern;
    doc.Colour.XOffset = xOffset;
    doc.Colour.YOffset = yOffset;
    return doc;
}

std::array<double, 3> PlanesAt(const TColourPlanes& planes, int32_t x, int32_t y) {
    const size_t k = size_t(y) * size_t(planes.Size().Width) + size_t(x);
    std::array<double, 3> v{};
    for (size_t c = 0; c < 3; ++c)
        v[c] = planes.Channels[c].PixelType == kPixelReal32 ? PlaneValue<float>(planes.Channels[c], k)
                                                            : PlaneValue<double>(planes.Channels[c], k);
    return v;
}

using TRgb = std::array<double, 3>;

} // namespace

TEST(Debayer, PatternsAndOffsetsNameTheColourOfEachPixel) {
    // Colours of document pixels (0,0), (1,0), (0,1), (1,1): the bottom row first.
    struct Case {
        TBayerPattern pattern;
        int32_t x, y;
        const char* colours;
    } cases[] = {
        {TBayerPattern::Rggb, 0, 0, "RGGB"}, {TBayerPattern::Bggr, 0, 0, "BGGR"},
        {TBayerPattern::Grbg, 0, 0, "GRBG"}, {TBayerPattern::Gbrg, 0, 0, "GBRG"},
        {TBayerPattern::Rggb, 1, 0, "GRBG"}, {TBayerPattern::Rggb, 0, 1, "GBRG"},
        {TBayerPattern::Bggr, 1, 1, "RGGB"}, {TBayerPattern::Grbg, 0, 1, "BGGR"},
        {TBayerPattern::Gbrg, 1, 0, "BGGR"},
    };
    for (const Case& c : cases) {
        TColourLayout layout;
        layout.Pattern = c.pattern;
        layout.XOffset = c.x;
        layout.YOffset = c.y;
        std::string got;
        for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}})
            got += "RGB"[size_t(MosaicColour(layout, x, y))];
        EXPECT_EQ(got, c.colours) << c.colours;
    }
}

TEST(Debayer, BilinearTakesTheMeanOfEachColourAmongTheNeighboursInside) {
    // Rows bottom first:  R10 G20 R30 / G40 B50 G60 / R70 G80 R91.
    const std::vector<int16_t> raw = {10, 20, 30, 40, 50, 60, 70, 80, 91};
    struct Case {
        int32_t x, y;
        TRgb rgb;
    } cases[] = {
        {0, 0, {10, 30, 50}}, {1, 0, {20, 20, 50}},    {2, 0, {30, 40, 50}},
        {0, 1, {40, 40, 50}}, {1, 1, {50.25, 50, 50}}, {2, 1, {60.5, 60, 50}},
        {0, 2, {70, 60, 50}}, {1, 2, {80.5, 80, 50}},  {2, 2, {91, 70, 50}},
    };
    const TImageDocument doc = Mosaic(TBayerPattern::Rggb, 3, 3, raw);
    const auto planes = ColourPlanesOf(doc, TDebayer::Bilinear);
    ASSERT_TRUE(planes);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(PlanesAt(*planes, c.x, c.y), c.rgb);
        EXPECT_EQ(ColourPixel(doc, TDebayer::Bilinear, c.x, c.y), c.rgb);
    }
    // The same mosaic seen from a pattern that starts one column later gives the same colours.
    const TImageDocument shifted = Mosaic(TBayerPattern::Grbg, 3, 3, raw, 1, 0);
    EXPECT_EQ(PlanesAt(*ColourPlanesOf(shifted, TDebayer::Bilinear), 1, 1), (TRgb{50.25, 50, 50}));
}

TEST(Debayer, SuperpixelMakesEachWholeCellOnePixelAndDropsTheOddRowAndColumn) {
    std::vector<int16_t> raw(15); // 5 x 3, values 1 .. 15, rows bottom first
    for (size_t k = 0; k < raw.size(); ++k)
        raw[k] = int16_t(k + 1);
    struct Case {
        TBayerPattern pattern;
        int32_t x, y;
        TRgb first, second;
    } cases[] = {
        {TBayerPattern::Rggb, 0, 0, {1, 4, 7}, {3, 6, 9}},
        {TBayerPattern::Bggr, 0, 0, {7, 4, 1}, {9, 6, 3}},
        {TBayerPattern::Gbrg, 0, 0, {6, 4, 2}, {8, 6, 4}},
        {TBayerPattern::Grbg, 1, 0, {1, 4, 7}, {3, 6, 9}},
    };
    for (const Case& c : cases) {
        const TImageDocument doc = Mosaic(c.pattern, 5, 3, raw, c.x, c.y);
        const auto planes = ColourPlanesOf(doc, TDebayer::Superpixel);
        ASSERT_TRUE(planes);
        ASSERT_EQ(planes->Size(), (TSize{2, 1}));
        EXPECT_EQ(PlanesAt(*planes, 0, 0), c.first);
        EXPECT_EQ(PlanesAt(*planes, 1, 0), c.second);
        EXPECT_EQ(ColourPixel(doc, TDebayer::Superpixel, 1, 0), c.second);
    }
}

TEST(Debayer, EveryPixelOfAnyShapeFollowsTheRule) {
    // The planes, made row by row, against the rule applied to one pixel at a time.
    for (auto [w, h] : {std::pair{1, 1}, {2, 1}, {1, 3}, {2, 3}, {5, 4}, {8, 7}})
        for (TBayerPattern p :
             {TBayerPattern::Rggb, TBayerPattern::Bggr, TBayerPattern::Grbg, TBayerPattern::Gbrg})
            for (int32_t offsets = 0; offsets < 4; ++offsets) {
                std::vector<int16_t> raw(size_t(w * h));
                for (size_t k = 0; k < raw.size(); ++k)
                    raw[k] = int16_t((k * 7919) % 1000 - 300);
                const TImageDocument doc = Mosaic(p, w, h, raw, offsets & 1, offsets >> 1);
                for (TDebayer method : {TDebayer::Bilinear, TDebayer::Superpixel}) {
                    const auto planes = ColourPlanesOf(doc, method);
                    ASSERT_TRUE(planes);
                    for (int32_t y = 0; y < planes->Size().Height; ++y)
                        for (int32_t x = 0; x < planes->Size().Width; ++x) {
                            const TRgb want = ColourPixel(doc, method, x, y);
                            const TRgb got = PlanesAt(*planes, x, y);
                            for (size_t c = 0; c < 3; ++c)
                                ASSERT_FLOAT_EQ(float(got[c]), float(want[c]))
                                    << w << "x" << h << " " << int(p) << " " << offsets << " (" << x << ","
                                    << y << ") channel " << c;
                        }
                }
            }
}

TEST(Debayer, ALargeMosaicMadeInBandsFollowsTheRuleWhereTheBandsMeet) {
    // Large enough to be shared among threads; the rows of every possible band's edge are
    // looked at, for both methods, the pattern starting on an odd row.
    const int32_t w = 1030, h = 2049;
    std::vector<int16_t> raw(size_t(w) * h);
    for (size_t k = 0; k < raw.size(); ++k)
        raw[k] = int16_t((k * 2654435761u >> 7) % 4000 - 1000);
    const TImageDocument doc = Mosaic(TBayerPattern::Gbrg, w, h, raw, 1, 1);
    for (TDebayer method : {TDebayer::Bilinear, TDebayer::Superpixel}) {
        TColourPlanes planes;
        ASSERT_TRUE(MakeColourPlanes(doc, method, planes));
        const TSize size = planes.Size();
        std::set<int32_t> rows = {0, size.Height - 1};
        for (int32_t bands = 2; bands <= 4; ++bands)
            for (int32_t b = 1; b < bands; ++b)
                for (int32_t d = -1; d <= 0; ++d)
                    rows.insert(int32_t(int64_t(size.Height) * b / bands) + d);
        for (const int32_t y : rows)
            for (int32_t x = 0; x < size.Width; ++x) {
                const TRgb want = ColourPixel(doc, method, x, y), got = PlanesAt(planes, x, y);
                for (size_t c = 0; c < 3; ++c)
                    ASSERT_FLOAT_EQ(float(got[c]), float(want[c]))
                        << int(method) << " (" << x << "," << y << ")";
            }
    }
}

TEST(Debayer, APictureMadeStraightFromTheMosaicIsThePictureOfItsPlanes) {
    // Values -14 .. 14, so that narrow thresholds fall among the quarters the means take.
    const auto shown = [](double low, double high, TDisplayFunction f = TDisplayFunction::Linear,
                          double midtones = kNeutralMidtones) {
        TDisplaySettings s;
        s.LowThreshold = low, s.HighThreshold = high, s.DisplayFunction = f, s.MidtonesBalance = midtones;
        return s;
    };
    using F = TDisplayFunction;
    const std::array<TDisplaySettings, 3> displays[] = {
        {shown(-3, 4), shown(-3, 4), shown(-3, 4)},
        {shown(4.1, -2.6), shown(0.3, 0.2), shown(14, -14)}, // inverted
        {shown(-10, 10, F::Sqrt), shown(-14.5, 3.25, F::Asinh), shown(-5, 9, F::Mtf, 0.3)},
        {shown(0.25, 0.25), shown(std::nan(""), 5), shown(-30000, 30000)},
        {shown(1e12, 1e12 + 10), shown(-40010, -40000), shown(40010, 40000)}, // beyond any value
    };
    for (auto [w, h] : {std::pair{1, 1}, {1, 3}, {2, 3}, {5, 4}, {8, 7}, {16, 9}})
        for (TBayerPattern p : {TBayerPattern::Rggb, TBayerPattern::Gbrg})
            for (int32_t offsets = 0; offsets < 4; ++offsets) {
                std::vector<int16_t> raw(size_t(w * h));
                for (size_t k = 0; k < raw.size(); ++k)
                    raw[k] = int16_t(int(k * 7919 % 29) - 14);
                const TImageDocument doc = Mosaic(p, w, h, raw, offsets & 1, offsets >> 1);
                for (TDebayer method : {TDebayer::Bilinear, TDebayer::Superpixel})
                    for (const auto& channels : displays) {
                        const std::optional<TBitmap> straight = MosaicPicture(doc, method, channels);
                        ASSERT_TRUE(straight);
                        const TBitmap want = ColourPicture(*ColourPlanesOf(doc, method), channels);
                        ASSERT_EQ(straight->Width, want.Width);
                        ASSERT_EQ(straight->Height, want.Height);
                        ASSERT_EQ(straight->Pixels, want.Pixels)
                            << w << "x" << h << " " << int(p) << " " << offsets << " method " << int(method)
                            << " display " << &channels - displays;
                    }
            }
}

TEST(Debayer, GreyImagesAndTheMosaicSeenAsItIsHaveNoColourPlanes) {
    TImageDocument doc = Mosaic(TBayerPattern::Rggb, 2, 2, {1, 2, 3, 4});
    EXPECT_FALSE(ColourPlanesOf(doc, TDebayer::None));
    EXPECT_FALSE(MosaicPicture(doc, TDebayer::None, {}));
    doc.Colour.Pattern.reset();
    EXPECT_FALSE(ColourPlanesOf(doc, TDebayer::Bilinear));
    // Three planes are the channels whatever the method, in their own type.
    doc = image_test::MakeDocument(kKindFits, kPixelInt16, 2, 1, std::vector<int16_t>{1, 2, 3, 4, 5, 6});
    doc.Colour.Planes = 3;
    const auto planes = ColourPlanesOf(doc, TDebayer::Superpixel);
    ASSERT_TRUE(planes);
    EXPECT_EQ(planes->Channels[2].PixelType, kPixelInt16);
    EXPECT_EQ(PlaneValue<int16_t>(planes->Channels[2], 1), 6);
    EXPECT_EQ(ColourPixel(doc, TDebayer::None, 1, 0), (TRgb{2, 4, 6}));
    EXPECT_FALSE(MosaicPicture(doc, TDebayer::Bilinear, {})) << "three planes are pictured from themselves";
}
