#include "core/formats/ser_reader.h"

#include "core/formats/recording_host.h"
#include "core/formats/series_test_files.h"
#include "core/image/frame_series.h"
#include "core/image/readout.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orv;
using orv::formats_test::ExpectRefusal;
using orv::formats_test::TRecordingHost;
using orv::test::TSerFile;

namespace {

TLoadResult Load(TImageDocument& doc, const std::vector<uint8_t>& bytes, TRecordingHost& host,
                 uint32_t frame = 0) {
    return LoadSerFromSource(doc, MemorySource(bytes), "/data/jupiter.ser", host, frame);
}

// The value the readout shows at column x, row y counted from the top of the picture.
std::string Shown(const TImageDocument& doc, int32_t x, int32_t yFromTop) {
    return PixelReadout(doc, x, yFromTop)->Intensity.substr(std::string("Intensité : ").size());
}

} // namespace

TEST(SerReader, FramesInEitherByteOrderShownTopRowUp) {
    // Two frames of 3 x 2, top row first in the file; values with both bytes set, so a byte
    // order read the wrong way round shows.
    const std::vector<std::vector<uint16_t>> frames = {{0x0102, 0x0203, 0x0304, 0x0A0B, 0x0B0C, 0x0C0D},
                                                       {0x1112, 0x1213, 0x1314, 0x1A1B, 0x1B1C, 0x1C1D}};
    struct Case {
        const char* what;
        int32_t field, depth;
        bool bigData;
        double high; // the threshold the depth gives
    } cases[] = {
        {"LittleEndian 0 as most writers set it: little-endian", 0, 16, false, 32767},
        {"LittleEndian 1: big-endian", 1, 16, true, 32767},
        {"12 bits", 0, 12, false, 4095 - 32768},
        {"8 bits, the field does not matter", 1, 8, false, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSerFile file;
        file.LittleEndianField = c.field;
        file.Depth = c.depth;
        file.BigEndianData = c.bigData;
        file.Frames = frames;
        if (c.depth == 8)
            for (auto& f : file.Frames)
                for (auto& v : f)
                    v &= 0xFF;
        const std::vector<uint8_t> bytes = file.Bytes();
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(Load(doc, bytes, host, 1), TLoadResult::Loaded);
        EXPECT_TRUE(host.Messages.empty());
        ASSERT_TRUE(doc.Series);
        EXPECT_EQ(doc.Series->Count(), 2u);
        EXPECT_EQ(doc.FrameIndex, 1u);
        EXPECT_EQ(doc.FileName, "/data/jupiter_2.fit");
        EXPECT_EQ(doc.HighThreshold, c.high);
        const uint16_t mask = c.depth == 8 ? 0xFF : 0xFFFF;
        EXPECT_EQ(Shown(doc, 0, 0), std::to_string(0x1112 & mask)); // the file's first value, top left
        EXPECT_EQ(Shown(doc, 2, 1), std::to_string(0x1C1D & mask));
        // The frame slider's way: frame 1 read into the same document.
        SelectFrame(doc, 0);
        EXPECT_EQ(Shown(doc, 1, 1), std::to_string(0x0B0C & mask));
        EXPECT_EQ(doc.Caption, "Image : jupiter_1.fit (3x2) Entier 16 bits");
    }
}

TEST(SerReader, TheTrailerGivesEachFrameItsTime) {
    TSerFile file;
    file.Frames.assign(3, std::vector<uint16_t>(6, 7));
    const int64_t start = 638456190001234567; // 2024-03-09 22:10:00.1234567
    struct Case {
        const char* what;
        std::vector<int64_t> trailer;
        size_t cut; // bytes taken off the end
        std::string date, time;
    } cases[] = {
        {"whole trailer",
         {start, start + 400'000, start + 864'000'000'000},
         0,
         "2024-03-10",
         "22:10:00.1234"},
        {"a trailer cut short is no trailer", {start, start + 400'000, start + 864'000'000'000}, 1, "", ""},
        {"last second of a year", {start, start, 638396639999999999}, 0, "2023-12-31", "23:59:59.9999"},
        {"zero is no time", {start, start, 0}, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        file.Trailer = c.trailer;
        std::vector<uint8_t> bytes = file.Bytes();
        bytes.resize(bytes.size() - c.cut);
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(Load(doc, bytes, host, 2), TLoadResult::Loaded);
        const TFrameTime got = doc.Series->TimeOf(2);
        EXPECT_EQ(got.Date, c.date);
        EXPECT_EQ(got.Time, c.time);
        if (!c.time.empty()) {
            EXPECT_EQ(doc.Header.TimeBeg, c.time);
        }
    }
}

TEST(SerReader, BayerMosaicsOpenGreyWithTheirPatternForTheStoredRows) {
    struct Case {
        int32_t colorId, height;
        std::string pattern, yOffset;
    } cases[] = {
        {8, 2, "'RGGB'", "1"}, // the store's first row is the file's second
        {11, 3, "'BGGR'", "0"},
        {9, 4, "'GRBG'", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colorId);
        TSerFile file;
        file.ColorId = c.colorId;
        file.Height = c.height;
        file.Frames.assign(1, std::vector<uint16_t>(size_t(3 * c.height), 5));
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(Load(doc, file.Bytes(), host), TLoadResult::Loaded);
        std::string cards;
        for (const std::string& card : doc.OtherCards)
            cards += card.substr(0, 30) + "|";
        EXPECT_NE(cards.find("BAYERPAT= " + c.pattern), std::string::npos) << cards;
        EXPECT_NE(cards.find("YBAYROFF=                    " + c.yOffset), std::string::npos) << cards;
    }
}

TEST(SerReader, RgbAndBgrFramesBecomeRedGreenAndBluePlanes) {
    // 3 x 2, top row first, each pixel's three values side by side in the file's order.
    std::vector<uint16_t> frame;
    for (uint16_t pixel = 0; pixel < 6; ++pixel)
        for (uint16_t value : {uint16_t(100 + pixel), uint16_t(200 + pixel), uint16_t(300 + pixel)})
            frame.push_back(value);
    for (const int32_t colorId : {100, 101}) { // RGB, BGR
        SCOPED_TRACE(colorId);
        TSerFile file;
        file.ColorId = colorId;
        file.Frames.assign(2, frame);
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(Load(doc, file.Bytes(), host, 1), TLoadResult::Loaded);
        EXPECT_EQ(doc.Colour.Planes, 3);
        EXPECT_EQ(doc.Header.Naxis3, 3);
        ASSERT_EQ(doc.PixelStore.size(), 3u * 6 * 2);
        // The file's last pixel (top row's end is pixel 2; bottom row's end, pixel 5) is the
        // store's third value of each plane: red, green, blue whatever order the file had.
        for (int plane = 0; plane < 3; ++plane) {
            int16_t v;
            std::memcpy(&v, doc.PixelStore.data() + size_t(plane) * 12 + 2 * 2, 2);
            const int stored = colorId == 101 ? 2 - plane : plane;
            EXPECT_EQ(v + 32768, 100 * (stored + 1) + 5) << plane;
        }
    }
}

TEST(SerReader, RefusalsSayWhyBeforeReadingAnyFrame) {
    const auto with = [](auto change) {
        TSerFile file;
        file.Frames.assign(2, std::vector<uint16_t>(6, 1));
        change(file);
        return file.Bytes();
    };
    const std::string name = "Le fichier jupiter.ser";
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::string message;
    } cases[] = {
        {"shorter than the header", std::vector<uint8_t>(100, 0),
         name + " est trop court pour un fichier SER !"},
        {"RGB frames announced, grey ones held",
         with([](TSerFile& f) { f.ColorId = 100, f.Frames.assign(2, std::vector<uint16_t>(6, 1)); }),
         name + " ne contient aucune image !"},
        {"unknown colour", with([](TSerFile& f) { f.ColorId = 5; }),
         name + " a un codage des couleurs inconnu (ColorID = 5) !"},
        {"depth 17", with([](TSerFile& f) { f.Depth = 17; }),
         name + " a une profondeur de pixel inconnue (17 bits) !"},
        {"no width", with([](TSerFile& f) { f.Width = 0; }),
         name + " a des dimensions d'image incorrectes (0x2) !"},
        {"no frame announced", with([](TSerFile& f) { f.FrameCount = 0; }),
         name + " ne contient aucune image !"},
        {"more frames than held", with([](TSerFile& f) { f.FrameCount = 2147483647; }),
         name + " annonce 2147483647 images mais n'en contient que 2 !"},
        {"a frame larger than the file", with([](TSerFile& f) { f.Width = 65536, f.Height = 32768; }),
         name + " ne contient aucune image !"},
        {"a frame beyond any image", with([](TSerFile& f) { f.Width = 2147483647, f.Height = 2147483647; }),
         name + " annonce une image trop grande pour lui (2147483647x2147483647) !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TRecordingHost host;
        TImageDocument doc;
        const TLoadResult result = Load(doc, c.bytes, host);
        ExpectRefusal(result, host, doc, c.message);
        EXPECT_FALSE(SerFrameCount(*MemorySource(c.bytes)).has_value());
    }
}

TEST(SerReader, AnotherSignatureIsOpenedOnlyOnYes) {
    TSerFile file;
    file.FileId = "OTHER-RECORDER";
    file.Frames.assign(1, std::vector<uint16_t>(6, 1));
    for (const TAnswer answer : {TAnswer::Yes, TAnswer::No}) {
        TRecordingHost host;
        host.Answers.push_back(answer);
        TImageDocument doc;
        EXPECT_EQ(Load(doc, file.Bytes(), host),
                  answer == TAnswer::Yes ? TLoadResult::Loaded : TLoadResult::Refused);
        ASSERT_EQ(host.Messages.size(), 1u);
        EXPECT_EQ(
            host.Messages[0].Text,
            "Le fichier jupiter.ser n'est pas un fichier SER conforme !\nVoulez vous essayer de l'ouvrir ?");
    }
}
