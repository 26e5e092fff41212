#include "core/document/open_image.h"
#include "core/formats/pic.h"

#include "core/base/errors.h"
#include "core/formats/recording_host.h"
#include "core/formats/row_codec.h"
#include "core/formats/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace orv;
using namespace orv::formats_test;

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// A PIC header with the fields the reader interprets; data appended by the caller.
std::vector<uint8_t> PicHeader(uint8_t format, int16_t type, uint16_t width, uint16_t height,
                               int16_t high = 4000, int16_t low = -100) {
    std::vector<uint8_t> f(290, 0);
    f[0] = format;
    f[1] = 49;
    Put16(f, 2, 290);
    Put16(f, 68, width);
    Put16(f, 70, height);
    Put16(f, 72, type == 6 ? 32 : 16);
    Put16(f, 74, static_cast<uint16_t>(type));
    Put16(f, 92, 1);
    std::memcpy(f.data() + 104, "21:04:09.25   ", 14);
    Put16(f, 118, static_cast<uint16_t>(high));
    Put16(f, 120, static_cast<uint16_t>(low));
    return f;
}

// The row compressor of the camera software: small steps as one signed byte, anything
// else escaped by 128; a row that would not shrink is written plain.
std::vector<uint8_t> CompressRow(const std::vector<int16_t>& row) {
    return formats_test::CompressRow(row, 128,
                                     [](int d) { return static_cast<uint8_t>(static_cast<int8_t>(d)); });
}

std::vector<std::vector<int16_t>> StarRows(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::vector<int16_t>> rows(h, std::vector<int16_t>(w));
    for (auto& row : rows)
        for (auto& v : row)
            v = static_cast<int16_t>(rng() % 9 == 0 ? int(rng() % 65536) - 32768 : 300 + int(rng() % 60));
    return rows;
}

} // namespace

TEST(PicCompressedRows, ExamplesGiveTheirPixels) {
    struct Case {
        const char* name;
        int width;
        std::vector<uint8_t> row; // length word included
        std::vector<int16_t> pixels;
    };
    const std::vector<Case> cases = {
        {"differences up and down", 3, {4, 0, 0xE8, 0x03, 0x10, 0xF0}, {1000, 1016, 1000}},
        {"escape sets the pixel",
         4,
         {7, 0, 0xE8, 0x03, 0x80, 0x88, 0x13, 0x05, 0xFF},
         {1000, 5000, 5005, 5004}},
        {"length twice the width is plain", 2, {4, 0, 0x80, 0x00, 0x10, 0x00}, {128, 16}},
        {"sum wraps at 16 bits", 2, {3, 0, 0xFF, 0x7F, 0x01}, {32767, -32768}},
        {"one pixel", 1, {2, 0, 0x34, 0x12}, {0x1234}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file = PicHeader(251, 3, static_cast<uint16_t>(c.width), 1);
        file.insert(file.end(), c.row.begin(), c.row.end());
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(LoadPicFromBytes(doc, file, "/d/x.pic", host), TLoadResult::Loaded) << c.name;
        EXPECT_EQ(Values16(doc), c.pixels) << c.name;
    }
}

TEST(PicLoad, CompressedAndPlainFilesGiveTheSameDocument) {
    const int w = 37, h = 11;
    const auto rows = StarRows(w, h, 7);
    std::vector<uint8_t> plain = PicHeader(252, 3, w, h), packed = PicHeader(251, 3, w, h);
    std::vector<int16_t> expected;
    for (const auto& row : rows) {
        for (int16_t v : row)
            Append16(plain, static_cast<uint16_t>(v));
        const auto c = CompressRow(row);
        packed.insert(packed.end(), c.begin(), c.end());
        expected.insert(expected.end(), row.begin(), row.end());
    }
    for (const auto* file : {&plain, &packed}) {
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(LoadPicFromBytes(doc, *file, "/data/m57.pic", host), TLoadResult::Loaded);
        EXPECT_EQ(doc.Kind, kKindPic);
        EXPECT_EQ(doc.PixelType, kPixelInt16);
        EXPECT_EQ(doc.ImageWidth, w);
        EXPECT_EQ(doc.ImageHeight, h);
        EXPECT_EQ(Values16(doc), expected);
        EXPECT_EQ(doc.HighThreshold, 4000);
        EXPECT_EQ(doc.LowThreshold, -100);
        EXPECT_EQ(doc.FileName, "/data/m57.pic");
        EXPECT_EQ(doc.Caption, "Image : m57.pic (37x11) Entier 16 bits");
        EXPECT_EQ(std::memcmp(doc.PicHeader.data(), file->data(), 290), 0);
        EXPECT_TRUE(host.Messages.empty());
        EXPECT_EQ(doc.DisplayStream.size(), 1078u + 40u * 11u); // rendered
    }
}

TEST(PicLoad, RealImageKeepsItsFloats) {
    std::vector<uint8_t> file = PicHeader(252, 6, 2, 1);
    const float values[2] = {0.5f, -1234.25f};
    file.insert(file.end(), reinterpret_cast<const uint8_t*>(values),
                reinterpret_cast<const uint8_t*>(values) + 8);
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(LoadPicFromBytes(doc, file, "jup.pic", host), TLoadResult::Loaded);
    EXPECT_EQ(doc.PixelType, kPixelReal32);
    EXPECT_EQ(doc.Caption, "Image : jup.pic (2x1) Réel 32 bits");
    ASSERT_EQ(doc.PixelStore.size(), 8u);
    EXPECT_EQ(std::memcmp(doc.PixelStore.data(), values, 8), 0);
}

TEST(PicLoad, DoubtfulFormatByteAsksFirst) {
    std::vector<uint8_t> file = PicHeader(0, 3, 3, 1);
    const std::vector<uint8_t> row = {4, 0, 0xE8, 0x03, 0x10, 0xF0};
    file.insert(file.end(), row.begin(), row.end());
    const std::string question =
        "Ce fichier n'est certainement pas une image PIC !\nVoulez vous essayer de l'ouvrir ?";
    {
        TRecordingHost host; // answers No
        TImageDocument doc;
        EXPECT_EQ(LoadPicFromBytes(doc, file, "a.pic", host), TLoadResult::Refused);
        ASSERT_EQ(host.Messages.size(), 1u);
        EXPECT_EQ(host.Messages[0].Text, question);
        EXPECT_EQ(host.Messages[0].Kind, TMsgKind::Error);
        EXPECT_EQ(host.Messages[0].Buttons, TButtons::YesNo);
        EXPECT_TRUE(IsEmptyDocument(doc));
    }
    {
        TRecordingHost host;
        host.Answers.push_back(TAnswer::Yes); // then the rows are read as compressed rows
        TImageDocument doc;
        ASSERT_EQ(LoadPicFromBytes(doc, file, "a.pic", host), TLoadResult::Loaded);
        EXPECT_EQ(Values16(doc), (std::vector<int16_t>{1000, 1016, 1000}));
    }
}

TEST(PicLoad, RefusalsGiveTheirMessageAndLeaveNothing) {
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        std::string message;
    };
    std::vector<uint8_t> huge = PicHeader(252, 3, 65535, 65535);
    huge.resize(4096, 0);
    const std::vector<Case> cases = {
        {"type 4", PicHeader(252, 4, 2, 2), "Type de données incorrect !"},
        {"type 0", PicHeader(251, 0, 2, 2), "Type de données incorrect !"},
        {"compressed reals", PicHeader(251, 6, 2, 2), "Type de données incorrect !"},
        {"size no file can hold", huge, "Taille d'image incorrecte !"},
    };
    for (const Case& c : cases) {
        TRecordingHost host;
        TImageDocument doc;
        EXPECT_EQ(LoadPicFromBytes(doc, c.file, "x.pic", host), TLoadResult::Refused) << c.name;
        ASSERT_EQ(host.Messages.size(), 1u) << c.name;
        EXPECT_EQ(host.Messages[0].Text, c.message) << c.name;
        EXPECT_EQ(host.Messages[0].Buttons, TButtons::Ok);
        EXPECT_TRUE(IsEmptyDocument(doc)) << c.name;
    }
}

TEST(PicLoad, ShortFilesAreFilledWithZeros) {
    const int w = 6, h = 4;
    const auto rows = StarRows(w, h, 3);
    std::vector<uint8_t> plain = PicHeader(252, 3, w, h), packed = PicHeader(251, 3, w, h);
    for (const auto& row : rows) {
        for (int16_t v : row)
            Append16(plain, static_cast<uint16_t>(v));
        const auto c = CompressRow(row);
        packed.insert(packed.end(), c.begin(), c.end());
    }
    // Every cut, from no byte at all to one byte short, opens with zeros past the cut.
    for (const auto* full : {&plain, &packed}) {
        for (size_t cut = 0; cut < full->size(); ++cut) {
            const std::vector<uint8_t> file(full->begin(), full->begin() + static_cast<std::ptrdiff_t>(cut));
            TRecordingHost host;
            host.Answers.assign(4, TAnswer::Yes);
            TImageDocument doc;
            const TLoadResult r = LoadPicFromBytes(doc, file, "cut.pic", host);
            if (cut < 75) continue; // the type word is missing: refused or asked, never read past
            ASSERT_EQ(r, TLoadResult::Loaded) << cut;
            ASSERT_EQ(doc.PixelStore.size(), size_t(w * h * 2)) << cut;
        }
    }
    std::vector<uint8_t> half(plain.begin(), plain.begin() + 290 + w * 2 + 3);
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(LoadPicFromBytes(doc, half, "cut.pic", host), TLoadResult::Loaded);
    const auto v = Values16(doc);
    EXPECT_EQ(v[w], rows[1][0]);
    EXPECT_EQ(v[w + 1], rows[1][1] & 0xFF); // half a value: its low byte only
    for (size_t k = w + 2; k < v.size(); ++k)
        EXPECT_EQ(v[k], 0) << k;
}

TEST(PicSave, WritesPlainRowsAndKeepsTheOtherHeaderBytes) {
    const int w = 9, h = 5;
    const auto rows = StarRows(w, h, 11);
    std::vector<uint8_t> packed = PicHeader(251, 3, w, h, 2500, 12);
    packed[200] = 0xAB; // a byte nobody interprets
    packed[92] = 7;
    for (const auto& row : rows) {
        const auto c = CompressRow(row);
        packed.insert(packed.end(), c.begin(), c.end());
    }
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(LoadPicFromBytes(doc, packed, "x.pic", host), TLoadResult::Loaded);
    const std::vector<int16_t> values = Values16(doc);
    doc.HighThreshold = 3000.5; // halves to even
    doc.LowThreshold = -7.5;
    const std::vector<uint8_t> saved = BuildPicFile(doc);
    ASSERT_EQ(saved.size(), 290u + w * h * 2);
    EXPECT_EQ(saved[0], 252);
    EXPECT_EQ(saved[1], 49);
    EXPECT_EQ(saved[2] | saved[3] << 8, 290);
    EXPECT_EQ(saved[92] | saved[93] << 8, 1);
    EXPECT_EQ(saved[72] | saved[73] << 8, 16);
    EXPECT_EQ(saved[74] | saved[75] << 8, 3);
    EXPECT_EQ(static_cast<int16_t>(saved[118] | saved[119] << 8), 3000);
    EXPECT_EQ(static_cast<int16_t>(saved[120] | saved[121] << 8), -8);
    EXPECT_EQ(saved[200], 0xAB);
    EXPECT_EQ(std::memcmp(saved.data() + 104, "21:04:09.25", 11), 0);

    TImageDocument again;
    ASSERT_EQ(LoadPicFromBytes(again, saved, "y.pic", host), TLoadResult::Loaded);
    EXPECT_EQ(Values16(again), values);
    EXPECT_EQ(again.HighThreshold, 3000);
}

TEST(PicSave, ThresholdsBeyondTheWordsAreClamped) {
    struct Case {
        double high, low;
        int16_t savedHigh, savedLow;
    };
    for (const Case& c : std::vector<Case>{{40000, -40000, 32767, -32768},
                                           {1e300, -1e300, 32767, -32768},
                                           {32767.4, -32768.4, 32767, -32768},
                                           {65535, 0, 32767, 0}}) {
        TImageDocument doc;
        doc.Kind = kKindPic;
        doc.PixelType = kPixelInt16;
        doc.ImageWidth = doc.ImageHeight = 1;
        doc.PixelStore = {1, 0};
        doc.HighThreshold = c.high;
        doc.LowThreshold = c.low;
        const auto f = BuildPicFile(doc);
        EXPECT_EQ(static_cast<int16_t>(f[118] | f[119] << 8), c.savedHigh) << c.high;
        EXPECT_EQ(static_cast<int16_t>(f[120] | f[121] << 8), c.savedLow) << c.low;
    }
}

TEST(PicSave, RealImageRoundTripsThroughAFile) {
    TTempDir dir;
    std::vector<uint8_t> file = PicHeader(252, 6, 3, 2, 100, 0);
    for (float v : {1.5f, -2.0f, 3e10f, 0.0f, -0.25f, 7.0f}) {
        uint8_t b[4];
        std::memcpy(b, &v, 4);
        file.insert(file.end(), b, b + 4);
    }
    const std::string path = dir.Write("saturn.PIC", file);
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(OpenImage(doc, path, host), TLoadResult::Loaded);
    // No extension: ".Pic" is added; the old file at that name is replaced.
    dir.Write("copy.Pic", {1, 2, 3});
    SavePic(doc, dir.File("copy"));
    EXPECT_EQ(doc.FileName, dir.File("copy.Pic"));
    EXPECT_EQ(doc.Caption, "Image : copy.Pic (3x2) Réel 32 bits");
    const auto written = TTempDir::Read(dir.File("copy.Pic"));
    EXPECT_EQ(written, file);
    EXPECT_THROW(SavePic(doc, dir.File("no-such-dir/x.pic")), EFileError);
    EXPECT_THROW(LoadPic(doc, dir.File("missing.pic"), host), EFileError);
}
