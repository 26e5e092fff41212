#include "core/image/readout.h"

#include "core/image/document_builder.h"
#include "core/image/sky_cards.h"
#include "core/image/sky_coordinates.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orv;

namespace {

template <typename T>
TImageDocument Document(uint8_t kind, uint8_t pixelType, int32_t w, int32_t h, const std::vector<T>& values) {
    return image_test::MakeDocument(kind, pixelType, w, h, values);
}

} // namespace

TEST(Readout, CoordinatesCountFromTheBottomLeft) {
    std::vector<int16_t> values(768 * 512);
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = static_cast<int16_t>(k % 30011);
    const TImageDocument doc = Document(kKindFits, kPixelInt16, 768, 512, values);
    struct Case {
        int32_t x, y;
        const char *X, *Y;
        int16_t value;
    };
    for (const Case& c : std::vector<Case>{{0, 0, "X : 1", "Y : 512", values[511 * 768]},
                                           {0, 511, "X : 1", "Y : 1", values[0]},
                                           {767, 511, "X : 768", "Y : 1", values[767]},
                                           {100, 200, "X : 101", "Y : 312", values[311 * 768 + 100]}}) {
        const auto r = PixelReadout(doc, c.x, c.y);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->X, c.X);
        EXPECT_EQ(r->Y, c.Y);
        EXPECT_EQ(r->Intensity, "Intensité : " + std::to_string(c.value));
    }
}

TEST(Readout, IntensityByKindAndPixelType) {
    struct Case {
        const char* name;
        TImageDocument doc;
        double bscale, bzero;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"FITS scaled", Document<int16_t>(kKindFits, kPixelInt16, 1, 1, {10}), 2, 100, "Intensité : 120"},
        {"FITS unsigned offset", Document<int16_t>(kKindFits, kPixelInt16, 1, 1, {-1}), 1, 32768,
         "Intensité : 32767"},
        {"PIC ignores the scale", Document<int16_t>(kKindPic, kPixelInt16, 1, 1, {10}), 2, 100,
         "Intensité : 10"},
        {"32-bit", Document<int32_t>(kKindFits, kPixelInt32, 1, 1, {1000000000}), 1, 0, "Intensité : 1E9"},
        {"real half", Document<float>(kKindPic, kPixelReal32, 1, 1, {0.5f}), 1, 0, "Intensité : 0.5"},
        {"real 8 digits", Document<double>(kKindFits, kPixelReal64, 1, 1, {3.14159265358979}), 1, 0,
         "Intensité : 3.1415927"},
        {"small real", Document<double>(kKindFits, kPixelReal64, 1, 1, {0.00001234}), 1, 0,
         "Intensité : 1.234E-5"},
    };
    for (Case c : cases) {
        c.doc.Header.BScale = c.bscale;
        c.doc.Header.BZero = c.bzero;
        const auto r = PixelReadout(c.doc, 0, 0);
        ASSERT_TRUE(r) << c.name;
        EXPECT_EQ(r->Intensity, c.text) << c.name;
    }
}

TEST(Readout, NothingWithoutRawValuesOrOutsideTheImage) {
    TImageDocument bmp = Document<int16_t>(kKindBmp, kPixelNone, 2, 2, {1, 2, 3, 4});
    EXPECT_FALSE(PixelReadout(bmp, 0, 0));
    TImageDocument gif = Document<int16_t>(kKindGif, kPixelNone, 2, 2, {1, 2, 3, 4});
    EXPECT_FALSE(PixelReadout(gif, 0, 0));
    EXPECT_FALSE(PixelReadout(TImageDocument(), 0, 0));
    const TImageDocument doc = Document<int16_t>(kKindFits, kPixelInt16, 2, 2, {1, 2, 3, 4});
    for (auto [x, y] : std::vector<std::pair<int, int>>{{-1, 0}, {0, -1}, {2, 0}, {0, 2}})
        EXPECT_FALSE(PixelReadout(doc, x, y)) << x << "," << y;
    const TImageDocument shortStore = Document<int16_t>(kKindFits, kPixelInt16, 2, 2, {1});
    EXPECT_FALSE(PixelReadout(shortStore, 0, 0)); // value index 2, past the store
    EXPECT_TRUE(PixelReadout(shortStore, 0, 1));
}

TEST(Readout, SkyCoordinatesOfThePixelCentre) {
    const std::vector<std::string> tan = image_test::RotatedTanCards();
    struct Case {
        const char* what;
        std::vector<std::string> cards;
        int32_t x, y; // readout coordinates: 0 at the left and top
        const char *ra, *dec;
    } cases[] = {
        {"bottom-left pixel", tan, 0, 199, "AD : 05:34:40.51", "Dec : +21:56:50.8"},
        {"near the reference", tan, 149, 100, "AD : 05:34:31.94", "Dec : +22:00:51.2"},
        {"top-right pixel", tan, 299, 0, "AD : 05:34:23.32", "Dec : +22:04:53.6"},
        {"no WCS", {"OBSERVER= 'nobody'"}, 10, 10, "", ""},
        {"galactic axes", {"CTYPE1  = 'GLON-TAN'", "CTYPE2  = 'GLAT-TAN'", "CRVAL1  = 10.0"}, 10, 10, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TImageDocument doc = Document(kKindFits, kPixelInt16, 300, 200, std::vector<int16_t>(300 * 200, 1));
        doc.OtherCards = c.cards;
        doc.Header.Equinox = 2000;
        doc.Sky = SkyCoordinatesOf(doc);
        EXPECT_EQ(doc.Sky != nullptr, *c.ra != 0);
        const auto r = PixelReadout(doc, c.x, c.y);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->RightAscension, c.ra);
        EXPECT_EQ(r->Declination, c.dec);
    }
}

TEST(Readout, SkyTextsRoundAndCarry) {
    const struct {
        double degrees;
        const char *ra, *dec;
    } cases[] = {
        {0, "AD : 00:00:00.00", "Dec : +00:00:00.0"},
        {83.633, "AD : 05:34:31.92", "Dec : +83:37:58.8"},
        {-15, "AD : 23:00:00.00", "Dec : -15:00:00.0"},
        {359.9999999, "AD : 00:00:00.00", "Dec : +360:00:00.0"},
        {15 * 59.996 / 3600, "AD : 00:01:00.00", "Dec : +00:14:59.9"},
        {-0.00001, "AD : 00:00:00.00", "Dec : +00:00:00.0"},
        {-0.5, "AD : 23:58:00.00", "Dec : -00:30:00.0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RightAscensionText(c.degrees), c.ra) << c.degrees;
        EXPECT_EQ(DeclinationText(c.degrees), c.dec) << c.degrees;
    }
}
