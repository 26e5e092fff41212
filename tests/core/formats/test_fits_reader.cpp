#include "core/formats/fits_reader.h"

#include "core/base/file_io.h"
#include "core/formats/fits_gzip_reader.h"
#include "core/formats/fits_test_files.h"
#include "core/formats/fits_writer.h"
#include "core/formats/gzip_stream.h"
#include "core/image/readout.h"
#include "core/image/sky_cards.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <unistd.h>

using namespace orv;
using namespace orv::test;

namespace {

TLoadResult Load(TImageDocument& doc, const TFitsBuilder& f, TRecordingHost& host) {
    return LoadFitsFromBytes(doc, f.Bytes, "/data/ccd/m31.fit", host);
}

template <typename T> T StoredValue(const TImageDocument& doc, size_t k) {
    T v;
    std::memcpy(&v, doc.PixelStore.data() + k * sizeof(T), sizeof(T));
    return v;
}

std::vector<uint64_t> Ramp(size_t n, uint64_t first, uint64_t step) {
    std::vector<uint64_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = first + i * step;
    return v;
}

void ExpectEmpty(const TImageDocument& doc) {
    EXPECT_EQ(doc.Kind, kKindEmpty);
    EXPECT_EQ(doc.Caption, "Image :");
    EXPECT_TRUE(doc.PixelStore.empty());
}

} // namespace

TEST(FitsReader, RefusalsSayWhyWithOneOkBox) {
    const std::string corrupt = "Le fichier m31.fit est corrompu !\nOuverture annulée";
    struct Case {
        const char* what;
        TFitsBuilder file;
        std::string message;
    } cases[] = {
        {"no END", TFitsBuilder().Image(16, 4, 4).Blanks(), corrupt},
        {"ends inside a card", TFitsBuilder().Image(16, 4, 4).Append({'E', 'N', 'D'}), corrupt},
        {"lower-case keyword", TFitsBuilder().Image(16, 4, 4).Str("Object", "M31").End().Blanks(), corrupt},
        {"empty file", TFitsBuilder(), corrupt},
        {"NAXIS 0", TFitsBuilder().Value("SIMPLE", "T").Value("BITPIX", "16").Value("NAXIS", "0").End(),
         "Le fichier m31.fit ne contient aucune image !\nOuverture annulée"},
        {"NAXIS 1", TFitsBuilder().Value("SIMPLE", "T").Value("BITPIX", "16").Value("NAXIS", "1").End(),
         "Le fichier m31.fit ne contient qu'une ligne !\nOuverture annulée"},
        {"NAXIS 3, NAXIS3 2", TFitsBuilder().Image(16, 2, 2).Value("NAXIS", "3").Value("NAXIS3", "2").End(),
         "Le fichier m31.fit contient plusieurs images !\nOuverture annulée"},
        {"NAXIS 5", TFitsBuilder().Image(16, 2, 2).Value("NAXIS", "5").End(),
         "Le fichier m31.fit contient plusieurs images !\nOuverture annulée"},
        {"NAXIS 4, NAXIS4 2",
         TFitsBuilder().Image(16, 2, 2).Value("NAXIS", "4").Value("NAXIS3", "1").Value("NAXIS4", "2").End(),
         "Le fichier m31.fit contient plusieurs images !\nOuverture annulée"},
        {"BITPIX 12", TFitsBuilder().Image(12, 2, 2).End().Blanks(),
         "Le fichier m31.fit a un type de données inconnu (BITPIX = 12) !\nOuverture annulée"},
        {"BITPIX missing", TFitsBuilder().Value("SIMPLE", "T").Value("NAXIS", "2").End(),
         "Le fichier m31.fit a un type de données inconnu (BITPIX = 0) !\nOuverture annulée"},
        {"negative width", TFitsBuilder().Image(16, -4, 4).End(),
         "Le fichier m31.fit a des dimensions d'image incorrectes (-4x4) !\nOuverture annulée"},
        {"zero height", TFitsBuilder().Image(16, 4, 0).End(),
         "Le fichier m31.fit ne contient aucune image !\nOuverture annulée"},
        {"huge for the file", TFitsBuilder().Image(-64, 100000, 100000).End().Blanks(),
         "Le fichier m31.fit annonce une image trop grande pour lui (100000x100000) !\nOuverture annulée"},
        {"largest sizes", TFitsBuilder().Image(8, 2147483647, 2147483647).End().Blanks(),
         "Le fichier m31.fit annonce une image trop grande pour lui (2147483647x2147483647) !\nOuverture "
         "annulée"},
        {"far more than the file holds", TFitsBuilder().Image(16, 8000, 8000).End().Blanks(),
         "Le fichier m31.fit annonce une image trop grande pour lui (8000x8000) !\nOuverture annulée"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TRecordingHost host;
        TImageDocument doc;
        EXPECT_EQ(Load(doc, c.file, host), TLoadResult::Refused);
        ASSERT_EQ(host.Messages.size(), 1u);
        EXPECT_EQ(host.Messages[0], c.message);
        EXPECT_EQ(host.Buttons[0], TButtons::Ok);
        ExpectEmpty(doc);
    }
}

TEST(FitsReader, NonConformingFileIsOpenedOnlyOnYes) {
    const auto file = TFitsBuilder()
                          .Value("SIMPLE", "F")
                          .Value("BITPIX", "16")
                          .Value("NAXIS", "2")
                          .Value("NAXIS1", "2")
                          .Value("NAXIS2", "1")
                          .End()
                          .Blanks()
                          .BigEndian({7, 9}, 2)
                          .Zeros();
    for (TAnswer answer : {TAnswer::Yes, TAnswer::No}) {
        TRecordingHost host;
        host.Answer = answer;
        TImageDocument doc;
        const TLoadResult r = Load(doc, file, host);
        ASSERT_EQ(host.Messages.size(), 1u);
        EXPECT_EQ(
            host.Messages[0],
            "Le fichier m31.fit n'est pas conforme à la norme FITS !\nVoulez vous essayer de l'ouvrir ?");
        EXPECT_EQ(host.Buttons[0], TButtons::YesNo);
        if (answer == TAnswer::Yes) {
            EXPECT_EQ(r, TLoadResult::Loaded);
            EXPECT_EQ(StoredValue<int16_t>(doc, 1), 9);
        } else {
            EXPECT_EQ(r, TLoadResult::Refused);
            ExpectEmpty(doc);
        }
    }
}

TEST(FitsReader, AcceptedAxesLayouts) {
    struct Case {
        const char* what;
        TFitsBuilder header;
    } cases[] = {
        {"NAXIS 2", TFitsBuilder().Image(16, 3, 2)},
        {"NAXIS 3 with NAXIS3 1", TFitsBuilder().Image(16, 3, 2).Value("NAXIS", "3").Value("NAXIS3", "1")},
        {"NAXIS 4 with 1 and 1",
         TFitsBuilder().Image(16, 3, 2).Value("NAXIS", "4").Value("NAXIS3", "1").Value("NAXIS4", "1")},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.header.End().Blanks().BigEndian({1, 2, 3, 4, 5, 6}, 2).Zeros();
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(Load(doc, c.header, host), TLoadResult::Loaded);
        EXPECT_TRUE(host.Messages.empty());
        EXPECT_EQ(doc.ImageWidth, 3);
        EXPECT_EQ(doc.ImageHeight, 2);
        EXPECT_EQ(StoredValue<int16_t>(doc, 5), 6);
    }
}

TEST(FitsReader, AnEmptyPrimaryOpensTheFirstImageExtension) {
    const auto empty = TFitsBuilder()
                           .Value("SIMPLE", "T")
                           .Value("BITPIX", "8")
                           .Value("NAXIS", "0")
                           .Value("EXTEND", "T")
                           .Str("TELESCOP", "primary")
                           .End()
                           .Blanks();
    auto image = [](int value) {
        return TFitsBuilder()
            .Str("XTENSION", "IMAGE   ")
            .Value("BITPIX", "16")
            .Value("NAXIS", "2")
            .Value("NAXIS1", "2")
            .Value("NAXIS2", "1")
            .Value("PCOUNT", "0")
            .Value("GCOUNT", "1")
            .Str("EXTNAME", "SCI")
            .Value("THRESH", "900")
            .End()
            .Blanks()
            .BigEndian({1, uint64_t(value)}, 2)
            .Zeros();
    };
    // A 3 x 2 table of 4-byte rows: one block of data to pass over.
    const auto table = TFitsBuilder()
                           .Str("XTENSION", "BINTABLE")
                           .Value("BITPIX", "8")
                           .Value("NAXIS", "2")
                           .Value("NAXIS1", "4")
                           .Value("NAXIS2", "3")
                           .Value("PCOUNT", "0")
                           .Value("GCOUNT", "1")
                           .Value("TFIELDS", "1")
                           .End()
                           .Blanks()
                           .Append(std::vector<uint8_t>(12, 7))
                           .Zeros();
    struct Case {
        const char* what;
        TFitsBuilder file;
        int16_t second; // 0: refused as holding no image
    } cases[] = {
        {"image extension", TFitsBuilder(empty).Append(image(5).Bytes), 5},
        {"a table first", TFitsBuilder(empty).Append(table.Bytes).Append(image(6).Bytes), 6},
        {"two images: the first", TFitsBuilder(empty).Append(image(7).Bytes).Append(image(8).Bytes), 7},
        {"a table only", TFitsBuilder(empty).Append(table.Bytes), 0},
        {"nothing after the primary", empty, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TRecordingHost host;
        TImageDocument doc;
        const TLoadResult r = Load(doc, c.file, host);
        if (c.second == 0) {
            EXPECT_EQ(r, TLoadResult::Refused);
            EXPECT_EQ(host.Messages, std::vector<std::string>{
                                         "Le fichier m31.fit ne contient aucune image !\nOuverture annulée"});
            continue;
        }
        ASSERT_EQ(r, TLoadResult::Loaded);
        EXPECT_EQ(StoredValue<int16_t>(doc, 1), c.second);
        EXPECT_EQ(doc.HighThreshold, 900);
        // The extension's cards, as a file of one HDU has them; nothing of what followed.
        EXPECT_TRUE(doc.Header.Simple);
        EXPECT_EQ(doc.Header.Telescop, "");
        ASSERT_EQ(doc.OtherCards.size(), 1u);
        EXPECT_TRUE(doc.OtherCards[0].starts_with("EXTNAME = 'SCI'"));
        EXPECT_TRUE(doc.TrailingBytes.empty());
    }
}

TEST(FitsReader, WhereTheDataStart) {
    // Header of n cards (END included), then what follows.
    auto header = [](size_t cards) {
        TFitsBuilder f;
        f.Image(16, 2, 2);
        while (f.Cards() < cards - 1)
            f.Raw("COMMENT filler");
        return f.End();
    };
    const std::vector<uint64_t> values{0x0102, 0x0304, 0x0506, 0x0708};
    struct Case {
        const char* what;
        TFitsBuilder file;
        int16_t first;
    } cases[] = {
        {"END is the 10th card", header(10).Blanks().BigEndian(values, 2).Zeros(), 0x0102},
        {"36 cards, data at 2880", header(36).BigEndian(values, 2).Zeros(), 0x0102},
        {"36 cards, a block of blanks, data at 5760",
         header(36).Blanks().Raw("").Blanks().BigEndian(values, 2).Zeros(), 0x0102},
        {"72 cards, data at 5760", header(72).BigEndian(values, 2).Zeros(), 0x0102},
        // Data made of blanks, with nothing after it: the blank block is the data.
        {"36 cards, blank data", header(36).BigEndian({0x2020, 0x2020, 0x2020, 0x2020}, 2).Blanks(), 0x2020},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(Load(doc, c.file, host), TLoadResult::Loaded);
        EXPECT_EQ(StoredValue<int16_t>(doc, 0), c.first);
        if (c.first == 0x0102) {
            EXPECT_EQ(StoredValue<int16_t>(doc, 3), 0x0708);
        }
    }
}

TEST(FitsReader, EveryBitpixIntoPixelStore) {
    struct Case {
        int bitpix;
        std::vector<uint64_t> fileValues;
        uint8_t pixelType;
        std::vector<uint8_t> store; // little-endian
    } cases[] = {
        {8, {0, 127, 255}, kPixelInt16, {0, 0, 127, 0, 255, 0}},
        {16, {0x1234, 0xFFFE, 0x8000}, kPixelInt16, {0x34, 0x12, 0xFE, 0xFF, 0x00, 0x80}},
        {32, {0x01020304, 0xFFFFFFFF, 0}, kPixelInt32, {4, 3, 2, 1, 255, 255, 255, 255, 0, 0, 0, 0}},
        {-32,
         {0x3FC00000, 0xC0000000, 0x7FC00000},
         kPixelReal32,
         {0, 0, 0xC0, 0x3F, 0, 0, 0, 0xC0, 0, 0, 0xC0, 0x7F}},
        {-64,
         {0x3FF8000000000000, 0xC000000000000000, 0x0102030405060708},
         kPixelReal64,
         {0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0xC0, 8, 7, 6, 5, 4, 3, 2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bitpix);
        const int size = c.bitpix == 8 ? 1 : std::abs(c.bitpix) / 8;
        const auto file =
            TFitsBuilder().Image(c.bitpix, 3, 1).End().Blanks().BigEndian(c.fileValues, size).Zeros();
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
        EXPECT_EQ(doc.Kind, kKindFits);
        EXPECT_EQ(doc.PixelType, c.pixelType);
        EXPECT_EQ(doc.Header.Bitpix, c.bitpix);
        EXPECT_EQ(doc.PixelStore, c.store);
        EXPECT_EQ(doc.TrailingBytes.size(), 2880u - 3u * size);
    }
}

TEST(FitsReader, EightBitDataKeepTheirPaddingAsTrailingBytes) {
    const auto file =
        TFitsBuilder().Image(8, 100, 100).End().Blanks().BigEndian(Ramp(10000, 0, 7), 1).Zeros();
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
    ASSERT_EQ(doc.PixelStore.size(), 20000u);
    EXPECT_EQ(StoredValue<int16_t>(doc, 9999), static_cast<uint8_t>(9999 * 7));
    EXPECT_EQ(doc.TrailingBytes, std::vector<uint8_t>(4 * 2880 - 10000, 0));
}

TEST(FitsReader, ShortDataUnitIsCompletedWithZeros) {
    const auto file = TFitsBuilder().Image(16, 4, 2).End().Blanks().BigEndian({11, 12, 13}, 2).Append({0x7F});
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
    const std::vector<int16_t> expected{11, 12, 13, 0, 0, 0, 0, 0};
    ASSERT_EQ(doc.PixelStore.size(), 16u);
    for (size_t k = 0; k < expected.size(); ++k)
        EXPECT_EQ(StoredValue<int16_t>(doc, k), expected[k]) << k;
    EXPECT_TRUE(doc.TrailingBytes.empty());

    // A header with no data at all.
    TImageDocument bare;
    ASSERT_EQ(Load(bare, TFitsBuilder().Image(-64, 2, 2).End(), host), TLoadResult::Loaded);
    EXPECT_EQ(bare.PixelStore, std::vector<uint8_t>(32, 0));
}

TEST(FitsReader, HeaderValuesThresholdsAndProtocol) {
    const auto file = TFitsBuilder()
                          .Image(16, 2, 1)
                          .Value("EXTEND", "T", "extensions")
                          .Str("DATE", "01/02/99", "written")
                          .Str("DATE-OBS", "2001-02-03", "start")
                          .Str("OBJECT", "M31/NGC224", "the object")
                          .Str("OBSERVER", "O''Hara")
                          .Str("TIME_BEG", "21:30:00")
                          .Value("BSCALE", "2", "scale")
                          .Value("BZERO", "32768")
                          .Value("EQUINOX", "2000.0")
                          .Value("MIPS-HI", "900")
                          .Value("MIPS-LO", "5")
                          .Value("THRESH", "1200", "later wins")
                          .Raw("COMMENT   first comment")
                          .Raw("HISTORY made in a test")
                          .Value("EXTEND", "F")
                          .Value("GAIN", "2.5")
                          .Raw("")
                          .End()
                          .Blanks()
                          .BigEndian({0x8000, 100}, 2)
                          .Zeros();
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
    const TFitsHeader& h = doc.Header;
    EXPECT_TRUE(h.Simple);
    EXPECT_TRUE(h.Extend);
    EXPECT_EQ(h.ExtendComment, "extensions");
    EXPECT_EQ(h.Date, "01/02/99");
    EXPECT_EQ(h.DateComment, "written");
    EXPECT_EQ(h.DateObs, "2001-02-03");
    EXPECT_EQ(h.DateObsComment, "start");
    EXPECT_EQ(h.Object, "M31/NGC224");
    EXPECT_EQ(h.ObjectComment, "the object");
    EXPECT_EQ(h.Observer, "O'Hara");
    EXPECT_EQ(h.TimeBeg, "21:30:00");
    EXPECT_EQ(h.BScale, 2);
    EXPECT_EQ(h.BScaleComment, "scale");
    EXPECT_EQ(h.BZero, 32768);
    EXPECT_EQ(h.Equinox, 2000);
    EXPECT_EQ(h.ThreshHigh, 1200);
    EXPECT_EQ(h.ThreshHighComment, "later wins");
    EXPECT_EQ(h.ThreshLow, 5);
    EXPECT_EQ(doc.CommentLines, std::vector<std::string>{"  first comment" + std::string(57, ' ')});
    EXPECT_EQ(doc.HistoryLines, std::vector<std::string>{"made in a test" + std::string(58, ' ')});
    ASSERT_EQ(doc.OtherCards.size(), 3u);
    EXPECT_EQ(doc.OtherCards[0].substr(0, 30), "EXTEND  =                    F");
    EXPECT_EQ(doc.OtherCards[1].substr(0, 10), "GAIN    = ");
    EXPECT_EQ(doc.OtherCards[2], std::string(80, ' '));
    for (const std::string& c : doc.OtherCards)
        EXPECT_EQ(c.size(), 80u);

    // Raw values in the store; thresholds in raw units.
    EXPECT_EQ(StoredValue<int16_t>(doc, 0), -32768);
    EXPECT_EQ(doc.HighThreshold, 1200);
    EXPECT_EQ(doc.LowThreshold, 5);
    EXPECT_EQ(doc.FileName, "/data/ccd/m31.fit");
    EXPECT_EQ(doc.Caption, "Image : m31.fit (2x1) Entier 16 bits");
    EXPECT_EQ(doc.DisplayStream.size(), 1078u + 4u);
}

TEST(FitsReader, NoThresholdCardsGiveZeroAnd16383) {
    const auto file = TFitsBuilder().Image(16, 1, 1).End().Blanks().BigEndian({5}, 2).Zeros();
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
    EXPECT_EQ(doc.HighThreshold, 16383);
    EXPECT_EQ(doc.LowThreshold, 0);
}

TEST(FitsReader, BadNumbersRaiseConversionErrorsAndLeaveTheDocumentEmpty) {
    struct Case {
        TFitsBuilder file;
        const char* message;
    } cases[] = {
        {TFitsBuilder().Value("SIMPLE", "T").Value("BITPIX", "'abc'").End(),
         "'abc' n'est pas une valeur entière correcte"},
        {TFitsBuilder().Image(16, 2, 2).Value("BSCALE", "1,5").End(),
         "'1,5' n'est pas une valeur flottante correcte"},
        {TFitsBuilder().Image(16, 2, 2).Value("THRESL", "1.5e").End(),
         "'1.5e' n'est pas une valeur entière correcte"},
        {TFitsBuilder().Image(16, 2, 2).Raw("NAXIS1  =").End(),
         "'           ' n'est pas une valeur entière correcte"},
    };
    for (const Case& c : cases) {
        TRecordingHost host;
        TImageDocument doc;
        doc.UpdateCaption("x.fit", 1, 1);
        try {
            Load(doc, c.file, host);
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        ExpectEmpty(doc);
        EXPECT_TRUE(doc.OtherCards.empty());
    }
}

TEST(FitsReader, OddCardsLoadOrAreRefusedAndTheSkyReadoutStaysRight) {
    // The rotated TAN system on a 300 x 200 image, one card changed or added.
    auto with = [](const std::string& keyword, const std::string& card) {
        std::vector<std::string> cards = image_test::RotatedTanCards();
        auto same = std::find_if(cards.begin(), cards.end(),
                                 [&](const std::string& c) { return c.starts_with(keyword); });
        if (same != cards.end())
            *same = card;
        else
            cards.push_back(card);
        return cards;
    };
    const std::string toColumn80(69, ' ');
    enum TSky { Sky, NoSky, Refused };
    struct Case {
        const char* what;
        std::vector<std::string> cards;
        TSky sky;
        const char* message = "";
    } cases[] = {
        {"DATE-OBS left open to column 80",
         with("DATE-OBS", "DATE-OBS= '2021-03-04T05:06:07" + toColumn80 + "Z"), Sky},
        {"NUL and other bytes in DATE-OBS",
         with("DATE-OBS", std::string("DATE-OBS=    4  \0\0\0\t  \xED  '", 26)), Sky},
        {"a kept string left open", with("FILTER", "FILTER  = 'R / red"), Sky},
        {"a kept string of 69 characters left open", with("NOTES", "NOTES   = '" + std::string(69, 'n')),
         Sky},
        {"OBJECT of 68 characters", with("OBJECT", "OBJECT  = '" + std::string(68, 'm') + "'"), Sky},
        {"accented letters in a kept string", with("OBSERVER", "OBSERVER= 'J\xC3\xA9r\xC3\xB4me'"), Sky},
        {"a number for OBJECT", with("OBJECT", "OBJECT  = 42"), Sky},
        {"CTYPE1 left open", with("CTYPE1", "CTYPE1  = 'RA---TAN"), Sky},
        {"CRVAL1 with a D exponent", with("CRVAL1", "CRVAL1  = 8.3633D1"), Sky},
        {"a byte outside ASCII in CTYPE2", with("CTYPE2", "CTYPE2  = 'DEC\xE9-TAN'"), NoSky},
        {"a number for CTYPE1", with("CTYPE1", "CTYPE1  = 5"), NoSky},
        {"a string for CRVAL1", with("CRVAL1", "CRVAL1  = '83.633'"), NoSky},
        {"CRPIX1 not a number", with("CRPIX1", "CRPIX1  = 1.5.0"), NoSky},
        {"CD1_1 infinite", with("CD1_1", "CD1_1   = 1E999"), NoSky},
        {"a string for EQUINOX", with("EQUINOX", "EQUINOX = 'J2000'"), Refused,
         "'J2000' n'est pas une valeur flottante correcte"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TFitsBuilder file;
        file.Image(16, 300, 200);
        for (const std::string& card : c.cards)
            file.Raw(card);
        file.End().Blanks();
        TRecordingHost host;
        TImageDocument doc;
        if (c.sky == Refused) {
            try {
                Load(doc, file, host);
                ADD_FAILURE() << "loaded";
            } catch (const EConvertError& e) {
                EXPECT_STREQ(e.what(), c.message);
            }
            continue;
        }
        ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
        // Saved, every string is closed, and the copy reads back with the same readout.
        const std::vector<uint8_t> saved = BuildFitsFile(doc);
        for (size_t at = 0; at + 80 <= saved.size() && saved[at] != 'E'; at += 80)
            EXPECT_FALSE(
                ParseCardRest(std::string_view(reinterpret_cast<const char*>(&saved[at + 8]), 72)).Open)
                << std::string(reinterpret_cast<const char*>(&saved[at]), 80);
        TImageDocument again;
        ASSERT_EQ(LoadFitsFromBytes(again, saved, "again.fit", host), TLoadResult::Loaded);
        for (const TImageDocument* d : {&doc, &again}) {
            const auto r = PixelReadout(*d, 149, 100);
            ASSERT_TRUE(r);
            EXPECT_EQ(r->RightAscension, c.sky == Sky ? "AD : 05:34:31.94" : "");
            EXPECT_EQ(r->Declination, c.sky == Sky ? "Dec : +22:00:51.2" : "");
        }
    }
}

TEST(FitsReader, MissingFileIsAFileError) {
    TRecordingHost host;
    TImageDocument doc;
    EXPECT_THROW(LoadFits(doc, "/nonexistent/missing.fit", host), EFileError);
}

TEST(FitsReader, FromAFileAsFromBytes) {
    // Reading a file converts the values inside the file's own buffer: it must give what
    // decoding a copy gives, for every BITPIX, short data and bytes after the data.
    const auto dir = std::filesystem::temp_directory_path() / ("orvanel-fitsf-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::vector<TFitsBuilder> files;
    for (int bitpix : {8, 16, 32, -32, -64}) {
        const int size = bitpix == 8 ? 1 : std::abs(bitpix) / 8;
        files.push_back(TFitsBuilder()
                            .Image(bitpix, 61, 53)
                            .End()
                            .Blanks()
                            .BigEndian(Ramp(61 * 53, 1, 977), size)
                            .Zeros());
        files.push_back(
            TFitsBuilder().Image(bitpix, 61, 53).End().Blanks().BigEndian(Ramp(1000, 3, 7), size));
        files.push_back(TFitsBuilder(files[files.size() - 2]).Append(std::vector<uint8_t>(5000, 'X')));
    }
    files.push_back(TFitsBuilder().Image(16, 3, 3).End()); // no data at all
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string path = (dir / "f.fit").string();
        WriteFileAtomically(path, files[i].Bytes);
        TRecordingHost host;
        TImageDocument fromFile, fromBytes;
        ASSERT_EQ(LoadFits(fromFile, path, host), TLoadResult::Loaded);
        ASSERT_EQ(LoadFitsFromBytes(fromBytes, files[i].Bytes, path, host), TLoadResult::Loaded);
        EXPECT_EQ(fromFile.PixelStore, fromBytes.PixelStore);
        EXPECT_EQ(fromFile.TrailingBytes, fromBytes.TrailingBytes);
        EXPECT_EQ(fromFile.DisplayStream, fromBytes.DisplayStream);
        // Streamed from gzip, in one member or two, the same again.
        const std::vector<uint8_t> whole = GzipCompress(files[i].Bytes);
        const size_t half = files[i].Bytes.size() / 2;
        std::vector<uint8_t> members = GzipCompress(std::span(files[i].Bytes).first(half));
        const std::vector<uint8_t> second = GzipCompress(std::span(files[i].Bytes).subspan(half));
        members.insert(members.end(), second.begin(), second.end());
        for (const auto& gz : {whole, members}) {
            TImageDocument inflated;
            ASSERT_EQ(LoadFitsGzipFromBytes(inflated, gz, path + ".gz", host), TLoadResult::Loaded);
            EXPECT_EQ(inflated.PixelStore, fromBytes.PixelStore);
            EXPECT_EQ(inflated.TrailingBytes, fromBytes.TrailingBytes);
        }
    }
    std::filesystem::remove_all(dir);
}

TEST(FitsReader, GzipStreamsThatCannotBeReadAreRefused) {
    const std::vector<uint8_t> gz = GzipCompress(
        TFitsBuilder().Image(16, 64, 64).End().Blanks().BigEndian(Ramp(4096, 0, 13), 2).Zeros().Bytes);
    std::vector<uint8_t> flipped = gz;
    flipped[gz.size() / 2] ^= 0x55;
    std::vector<uint8_t> badCrc = gz;
    badCrc[gz.size() - 6] ^= 1;
    const std::string corrupt =
        "Le fichier m31.fit.gz est corrompu (données gzip incorrectes) !\nOuverture annulée";
    const std::string cut = "Le fichier m31.fit.gz est corrompu (flux gzip incomplet) !\nOuverture annulée";
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::string message;
    } cases[] = {
        {"not gzip", TFitsBuilder().Image(16, 2, 2).End().Blanks().Bytes, corrupt},
        {"a flipped byte", flipped, corrupt},
        {"a wrong check sum", badCrc, corrupt},
        {"cut in the data", std::vector<uint8_t>(gz.begin(), gz.begin() + long(gz.size() / 2)), cut},
        {"cut in the header", std::vector<uint8_t>(gz.begin(), gz.begin() + 12), cut},
        {"no trailer", std::vector<uint8_t>(gz.begin(), gz.end() - 8), cut},
        // A few hundred bytes cannot inflate to 80 GB: refused before anything is allocated.
        {"huge for the file", GzipCompress(TFitsBuilder().Image(-64, 100000, 100000).End().Blanks().Bytes),
         "Le fichier m31.fit.gz annonce une image trop grande pour lui (100000x100000) !\nOuverture annulée"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TRecordingHost host;
        TImageDocument doc;
        EXPECT_EQ(LoadFitsGzipFromBytes(doc, c.bytes, "/data/m31.fit.gz", host), TLoadResult::Refused);
        EXPECT_EQ(host.Messages, std::vector<std::string>{c.message});
        ExpectEmpty(doc);
    }
}
