#include "core/formats/fits_colour.h"

#include "core/formats/fits_gzip_reader.h"
#include "core/formats/fits_reader.h"
#include "core/formats/fits_test_files.h"
#include "core/formats/fits_writer.h"
#include "core/formats/gzip_stream.h"
#include "core/image/debayer.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orv;
using namespace orv::test;

namespace {

using TRgb = std::array<double, 3>;

TLoadResult Load(TImageDocument& doc, const TFitsBuilder& f, TRecordingHost& host) {
    return LoadFitsFromBytes(doc, f.Bytes, "/data/ccd/m31.fit", host);
}

std::vector<int16_t> Stored(const TImageDocument& doc) {
    std::vector<int16_t> v(doc.PixelStore.size() / 2);
    std::memcpy(v.data(), doc.PixelStore.data(), v.size() * 2);
    return v;
}

} // namespace

TEST(FitsColour, MosaicCardsGiveThePatternOrAWarningNamingTheCard) {
    const std::string grey = "Le fichier m31.fit est affiché en gris : ";
    struct Case {
        const char* what;
        std::function<void(TFitsBuilder&)> cards;
        std::optional<TBayerPattern> pattern;
        int32_t x, y;
        std::string warning;
    } cases[] = {
        {"BAYERPAT", [](TFitsBuilder& f) { f.Str("BAYERPAT", "RGGB"); }, TBayerPattern::Rggb, 0, 0, ""},
        {"COLORTYP with offsets counted modulo 2",
         [](TFitsBuilder& f) { f.Str("COLORTYP", "gbrg").Value("XBAYROFF", "3").Value("YBAYROFF", "-1"); },
         TBayerPattern::Gbrg, 1, 1, ""},
        {"a whole offset written as a real",
         [](TFitsBuilder& f) { f.Str("BAYERPAT", "BGGR").Value("XBAYROFF", "1.0"); }, TBayerPattern::Bggr, 1,
         0, ""},
        {"BAYERPAT before COLORTYP",
         [](TFitsBuilder& f) { f.Str("COLORTYP", "RGB").Str("BAYERPAT", "GRBG"); }, TBayerPattern::Grbg, 0, 0,
         ""},
        {"an unknown pattern", [](TFitsBuilder& f) { f.Str("BAYERPAT", "RGBG"); }, std::nullopt, 0, 0,
         grey + "motif de Bayer inconnu (BAYERPAT = 'RGBG')."},
        {"an unknown COLORTYP", [](TFitsBuilder& f) { f.Str("COLORTYP", "CMYG"); }, std::nullopt, 0, 0,
         grey + "motif de Bayer inconnu (COLORTYP = 'CMYG')."},
        {"half a pixel", [](TFitsBuilder& f) { f.Str("BAYERPAT", "RGGB").Value("YBAYROFF", "0.5"); },
         std::nullopt, 0, 0,
         grey + "décalage du motif de Bayer qui n'est pas un nombre entier (YBAYROFF = 0.5)."},
        {"an offset in words", [](TFitsBuilder& f) { f.Str("BAYERPAT", "RGGB").Str("XBAYROFF", "one"); },
         std::nullopt, 0, 0,
         grey + "décalage du motif de Bayer qui n'est pas un nombre entier (XBAYROFF = 'one')."},
        {"an offset without a pattern", [](TFitsBuilder& f) { f.Value("XBAYROFF", "0.5"); }, std::nullopt, 0,
         0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TFitsBuilder file;
        file.Image(16, 2, 2);
        c.cards(file);
        file.End().Blanks().BigEndian({1, 2, 3, 4}, 2).Zeros();
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
        EXPECT_EQ(doc.Colour.Pattern, c.pattern);
        if (c.pattern) {
            EXPECT_EQ(std::pair(doc.Colour.XOffset, doc.Colour.YOffset), std::pair(c.x, c.y));
        }
        EXPECT_EQ(host.Messages, c.warning.empty() ? std::vector<std::string>{} : std::vector{c.warning});
        EXPECT_EQ(Stored(doc), (std::vector<int16_t>{1, 2, 3, 4})); // grey or not, the values as stored
    }
}

TEST(FitsColour, TopDownRowsShowTheFirstStoredRowOnTopWithThePatternOfTheFile) {
    // Stored rows R1 G2 / G3 B4 / R5 G6, the first shown at the top.
    const TFitsBuilder file = TFitsBuilder()
                                  .Image(16, 2, 3)
                                  .Str("BAYERPAT", "RGGB")
                                  .Str("ROWORDER", "TOP-DOWN")
                                  .End()
                                  .Blanks()
                                  .BigEndian({1, 2, 3, 4, 5, 6}, 2)
                                  .Zeros();
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
    EXPECT_EQ(Stored(doc), (std::vector<int16_t>{5, 6, 3, 4, 1, 2}));         // the bottom row first
    EXPECT_EQ(ColourPixel(doc, TDebayer::Bilinear, 0, 2), (TRgb{1, 2.5, 4})); // top left: red
    EXPECT_EQ(ColourPixel(doc, TDebayer::Bilinear, 1, 1), (TRgb{3, 11.0 / 3, 4}));
    EXPECT_EQ(ColourPixel(doc, TDebayer::Bilinear, 0, 0), (TRgb{5, 4.5, 4}));
    // Cells are counted from the first stored row: the bottom row is the odd one dropped.
    EXPECT_EQ(ColourPixel(doc, TDebayer::Superpixel, 0, 0), (TRgb{1, 2.5, 4}));
    // Saved, the file holds its rows and cards as they were.
    const std::vector<uint8_t> saved = BuildFitsFile(doc);
    ASSERT_EQ(saved.size(), file.Bytes.size());
    EXPECT_TRUE(std::equal(saved.end() - 2880, saved.end(), file.Bytes.end() - 2880));
    const std::string header(saved.begin(), saved.begin() + 2880);
    EXPECT_NE(header.find("ROWORDER= 'TOP-DOWN'"), std::string::npos);
    EXPECT_NE(header.find("BAYERPAT= 'RGGB'"), std::string::npos);
}

TEST(FitsColour, ThreePlanesAreRedGreenBlueAndAreAllRead) {
    auto cube = [](const char* ctype3, std::vector<uint64_t> values) {
        TFitsBuilder f;
        f.Image(16, 2, 1).Value("NAXIS", "3").Value("NAXIS3", "3");
        if (ctype3) f.Str("CTYPE3", ctype3);
        f.End().Blanks().BigEndian(values, 2);
        return f;
    };
    const std::vector<uint64_t> six = {1, 2, 3, 4, 5, 6};
    for (const char* ctype3 : {(const char*)nullptr, "RGB"}) {
        const TFitsBuilder file = TFitsBuilder(cube(ctype3, six)).Zeros();
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
        EXPECT_EQ(doc.Colour.Planes, 3);
        EXPECT_EQ(ColourPixel(doc, TDebayer::Bilinear, 1, 0), (TRgb{2, 4, 6}));
        const std::vector<uint8_t> saved = BuildFitsFile(doc);
        ASSERT_EQ(saved.size(), file.Bytes.size());
        EXPECT_TRUE(std::equal(saved.end() - 2880, saved.end(), file.Bytes.end() - 2880));
        EXPECT_NE(std::string(saved.begin(), saved.begin() + 2880).find("NAXIS3  =                    3"),
                  std::string::npos);
        TImageDocument inflated;
        ASSERT_EQ(LoadFitsGzipFromBytes(inflated, GzipCompress(file.Bytes), "m31.fit.gz", host),
                  TLoadResult::Loaded);
        EXPECT_EQ(inflated.PixelStore, doc.PixelStore);
    }
    // A file that does not hold the three planes shows none of them.
    const std::string refusal = "Le fichier m31.fit ne contient pas les trois plans de son image couleur !\n"
                                "Ouverture annulée";
    const TFitsBuilder cut = cube(nullptr, {1, 2, 3, 4, 5});
    TRecordingHost host;
    TImageDocument doc;
    EXPECT_EQ(Load(doc, cut, host), TLoadResult::Refused);
    EXPECT_EQ(LoadFitsGzipFromBytes(doc, GzipCompress(cut.Bytes), "m31.fit", host), TLoadResult::Refused);
    EXPECT_EQ(host.Messages, (std::vector<std::string>{refusal, refusal}));
    EXPECT_EQ(doc.Kind, kKindEmpty);
    // Three planes of something else are still a series, not a colour image.
    EXPECT_EQ(Load(doc, TFitsBuilder(cube("FREQ", six)).Zeros(), host), TLoadResult::Refused);
}
