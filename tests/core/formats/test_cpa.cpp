#include "core/document/open_image.h"
#include "core/formats/cpa.h"

#include "core/formats/recording_host.h"
#include "core/formats/row_codec.h"
#include "core/formats/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace orv;
using namespace orv::formats_test;

namespace {

template <typename T> void Put(std::vector<uint8_t>& b, size_t at, T v) {
    std::memcpy(b.data() + at, &v, sizeof v);
}
void PutString(std::vector<uint8_t>& b, size_t at, const std::string& s) {
    b[at] = static_cast<uint8_t>(s.size());
    std::memcpy(b.data() + at + 1, s.data(), s.size());
}

// Long-header fields, all zero or empty unless a test sets them.
struct TLongHeader {
    uint16_t Width = 4, Height = 3, BinX = 0, BinY = 0;
    double High = 2000, Low = 10;
    uint8_t Type = 3;
    double Start = 0, Exposure = 0;
    uint8_t MirrorX = 0, MirrorY = 0;
    std::string Telescope, Observer, Camera, Filter, Observatory;
    double Focal = 0, Alpha = 0, Delta = 0, PixX = 0, PixY = 0;
    int32_t DebX = 0, DebY = 0, FinX = 0, FinY = 0;
    uint8_t Compressed = 0;
    std::string Texts[4];

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> b(867, 0);
        Put<uint32_t>(b, 0, 0xF5C7D1FA);
        Put(b, 4, Width), Put(b, 6, Height), Put(b, 8, BinX), Put(b, 10, BinY);
        Put(b, 12, High), Put(b, 36, Low);
        b[60] = Type;
        Put(b, 62, Start), Put(b, 70, Exposure);
        b[78] = MirrorX, b[79] = MirrorY;
        PutString(b, 80, Telescope), PutString(b, 161, Observer), PutString(b, 242, Camera);
        PutString(b, 323, Filter), PutString(b, 404, Observatory);
        Put(b, 485, Focal), Put(b, 493, Alpha), Put(b, 501, Delta), Put(b, 509, PixX), Put(b, 517, PixY);
        Put(b, 525, DebX), Put(b, 529, DebY), Put(b, 533, FinX), Put(b, 537, FinY);
        b[541] = Compressed;
        for (int i = 0; i < 4; ++i)
            PutString(b, 543 + 81 * i, Texts[i]);
        return b;
    }
};

struct TShortHeader {
    uint16_t Width = 3, Height = 2, High = 3000, Low = 20;
    uint16_t Year = 1997, Month = 3, Day = 5, Hour = 21, Minute = 4, Second = 9, Hundredths = 5;
    std::array<uint8_t, 6> Exposure{};
    std::string Texts[4];

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> b(512, 0);
        Put(b, 0, Width), Put(b, 2, Height), Put(b, 8, High), Put(b, 10, Low);
        Put(b, 12, Year), Put(b, 14, Month), Put(b, 16, Day);
        Put(b, 18, Hour), Put(b, 20, Minute), Put(b, 22, Second), Put(b, 24, Hundredths);
        std::memcpy(b.data() + 26, Exposure.data(), 6);
        for (int i = 0; i < 4; ++i)
            PutString(b, 56 + 81 * i, Texts[i]);
        b[509] = 2, b[510] = 1, b[511] = 8;
        return b;
    }
};

// The camera software's row compressor: steps of -127..127 as one byte b - 127, others
// escaped by 255; a row that would not shrink is written plain.
std::vector<uint8_t> CompressRow(const std::vector<int16_t>& row) {
    return formats_test::CompressRow(row, 255, [](int d) { return static_cast<uint8_t>(d + 127); });
}

std::string Line(const std::string& s) {
    return s + std::string(72 - s.size(), ' ');
}

// 1997-03-05 21:04:09.250 as days since 1899-12-30.
constexpr double kStart = 35494.0 + (21 * 3600 + 4 * 60 + 9.25) / 86400.0;

} // namespace

TEST(CpaCompressedRows, ExampleGivesItsPixels) {
    TLongHeader h;
    h.Width = 4, h.Height = 1, h.Compressed = 1;
    std::vector<uint8_t> file = h.Bytes();
    for (uint8_t b : {7, 0, 0xF4, 0x01, 127, 130, 255, 7, 0})
        file.push_back(b);
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(LoadCpaFromBytes(doc, file, "/d/x.cpa", host), TLoadResult::Loaded);
    EXPECT_EQ(Values16(doc), (std::vector<int16_t>{500, 500, 503, 7}));
}

TEST(CpaLoad, SixteenBitLayoutsGiveTheSamePixels) {
    const int w = 23, h = 7;
    std::mt19937 rng(5);
    std::vector<std::vector<int16_t>> rows(h, std::vector<int16_t>(w));
    std::vector<int16_t> expected;
    for (auto& row : rows) {
        for (auto& v : row)
            v = static_cast<int16_t>(rng() % 7 == 0 ? int(rng() % 60000) - 30000 : 800 + int(rng() % 200));
        expected.insert(expected.end(), row.begin(), row.end());
    }
    TLongHeader plainHeader, packedHeader;
    plainHeader.Width = packedHeader.Width = w;
    plainHeader.Height = packedHeader.Height = h;
    packedHeader.Compressed = 1;
    TShortHeader shortHeader;
    shortHeader.Width = w, shortHeader.Height = h;
    std::vector<uint8_t> plain = plainHeader.Bytes(), packed = packedHeader.Bytes(),
                         shortFile = shortHeader.Bytes();
    for (const auto& row : rows) {
        for (int16_t v : row)
            Append16(plain, static_cast<uint16_t>(v));
        const auto c = CompressRow(row);
        packed.insert(packed.end(), c.begin(), c.end());
        shortFile.insert(shortFile.end(), c.begin(), c.end());
    }
    for (const auto* file : {&plain, &packed, &shortFile}) {
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(LoadCpaFromBytes(doc, *file, "/obs/M42.Cpa", host), TLoadResult::Loaded);
        EXPECT_EQ(doc.Kind, kKindFits);
        EXPECT_EQ(doc.PixelType, kPixelInt16);
        EXPECT_EQ(Values16(doc), expected);
        EXPECT_EQ(doc.FileName, "/obs/M42.FIT");
        EXPECT_EQ(doc.Caption, "Image : M42.FIT (23x7) Entier 16 bits");
        EXPECT_EQ(doc.Header.Bitpix, 16);
        EXPECT_EQ(doc.Header.Naxis, 2);
        EXPECT_EQ(doc.Header.Naxis1, w);
        EXPECT_EQ(doc.Header.Naxis2, h);
        EXPECT_TRUE(doc.Header.Simple);
    }
}

TEST(CpaLoad, RealTypesAndTheSecondPlane) {
    const float first[3] = {1.5f, -2.25f, 1e6f}, second[3] = {9.f, 8.f, 7.f};
    TLongHeader reals;
    reals.Width = 3, reals.Height = 1, reals.Type = 6;
    std::vector<uint8_t> f6 = reals.Bytes();
    f6.insert(f6.end(), reinterpret_cast<const uint8_t*>(first),
              reinterpret_cast<const uint8_t*>(first) + 12);
    reals.Type = 11;
    std::vector<uint8_t> f11 = reals.Bytes();
    for (int k = 0; k < 3; ++k) {
        f11.insert(f11.end(), reinterpret_cast<const uint8_t*>(first + k),
                   reinterpret_cast<const uint8_t*>(first + k) + 4);
        f11.insert(f11.end(), reinterpret_cast<const uint8_t*>(second + k),
                   reinterpret_cast<const uint8_t*>(second + k) + 4);
    }
    for (const auto* file : {&f6, &f11}) {
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(LoadCpaFromBytes(doc, *file, "a.cpa", host), TLoadResult::Loaded);
        EXPECT_EQ(doc.PixelType, kPixelReal32);
        EXPECT_EQ(doc.Header.Bitpix, -32);
        ASSERT_EQ(doc.PixelStore.size(), 12u);
        EXPECT_EQ(std::memcmp(doc.PixelStore.data(), first, 12), 0);
        if (file == &f11) {
            ASSERT_EQ(doc.SecondPlane.size(), 12u);
            EXPECT_EQ(std::memcmp(doc.SecondPlane.data(), second, 12), 0);
        } else {
            EXPECT_TRUE(doc.SecondPlane.empty());
        }
    }
}

TEST(CpaLoad, LongHeaderFieldsAndCommentLines) {
    TLongHeader h;
    h.BinX = 2, h.BinY = 3;
    h.High = 2500.5, h.Low = -3.5; // ThreshHigh/Low round halves to even
    h.Start = kStart;
    h.Exposure = 2.5;
    h.MirrorX = 1;
    h.Telescope = "T400", h.Observer = "A. Martin", h.Camera = "ST7", h.Filter = "  ",
    h.Observatory = "Pic du Midi";
    h.Alpha = 83.8221, h.Delta = 0, h.PixX = 9, h.PixY = 9, h.Focal = 1600;
    h.DebX = 1, h.DebY = 0, h.FinX = 765, h.FinY = -2;
    h.Texts[0] = std::string(30, 'a');
    h.Texts[1] = std::string(40, 'b') + std::string(40, 'c');
    h.Texts[2] = "   ";
    h.Texts[3] = std::string(41, 'd');
    std::vector<uint8_t> file = h.Bytes();
    file.resize(file.size() + 4 * 3 * 2, 0);
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(LoadCpaFromBytes(doc, file, "c.cpa", host), TLoadResult::Loaded);
    EXPECT_EQ(doc.HighThreshold, 2500.5);
    EXPECT_EQ(doc.LowThreshold, -3.5);
    EXPECT_EQ(doc.Header.ThreshHigh, 2500);
    EXPECT_EQ(doc.Header.ThreshLow, -4);
    EXPECT_EQ(doc.Header.TimeExp, "2.5");
    h.Exposure = 5e-324; // the smallest subnormal still has its text
    TImageDocument tiny;
    std::vector<uint8_t> tinyFile = h.Bytes();
    tinyFile.resize(tinyFile.size() + 24, 0);
    ASSERT_EQ(LoadCpaFromBytes(tiny, tinyFile, "c.cpa", host), TLoadResult::Loaded);
    EXPECT_EQ(tiny.Header.TimeExp, "4.94065645841247E-324");
    EXPECT_EQ(doc.Header.DateObs, "1997-03-05");
    EXPECT_EQ(doc.Header.TimeBeg, "21:4:9.250");
    EXPECT_EQ(doc.Header.Telescop, "T400");
    EXPECT_EQ(doc.Header.Observer, "A. Martin");
    const std::vector<std::string> expected = {
        Line("BINX = 2"),
        Line("BINY = 3"),
        Line("MIROIRX = T"),
        Line("MIROIRY = F"),
        Line("ALPHA = 83.8221"),
        Line("PIXX = 9"),
        Line("PIXY = 9"),
        Line("FOCALE = 1600"),
        Line("DEBX = 1"),
        Line("FINX = 765"),
        Line("FINY = -2"),
        Line("CAMERA = ST7"),
        Line("OBSERVATOIRE = Pic du Midi"),
        Line(std::string(30, 'a')),
        Line(""),
        Line(std::string(40, 'b')),
        Line(std::string(40, 'c')),
        Line(std::string(40, 'd')),
        Line("d"),
    };
    EXPECT_EQ(doc.CommentLines, expected);
    for (const auto& line : doc.CommentLines)
        EXPECT_EQ(line.size(), 72u);
}

TEST(CpaLoad, CommentLinesAreCutAt72) {
    TLongHeader h;
    h.Observatory = std::string(80, 'o');
    TRecordingHost host;
    TImageDocument doc;
    std::vector<uint8_t> file = h.Bytes();
    file.resize(file.size() + 24, 0);
    ASSERT_EQ(LoadCpaFromBytes(doc, file, "c.cpa", host), TLoadResult::Loaded);
    ASSERT_EQ(doc.CommentLines.size(), 5u);
    EXPECT_EQ(doc.CommentLines[4], ("OBSERVATOIRE = " + std::string(80, 'o')).substr(0, 72));
}

TEST(CpaLoad, ShortHeaderFields) {
    TShortHeader h;
    h.Exposure = {129 + 1, 0, 0, 0, 0, 0x40}; // 1.5 x 2 = 3
    h.Texts[1] = "Nuit claire";
    std::vector<uint8_t> file = h.Bytes();
    for (int r = 0; r < 2; ++r)
        for (uint8_t b : {4, 0, 10, 0, 124, 124})
            file.push_back(b);
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(LoadCpaFromBytes(doc, file, "/n/s.CPA", host), TLoadResult::Loaded);
    EXPECT_EQ(doc.HighThreshold, 3000);
    EXPECT_EQ(doc.LowThreshold, 20);
    EXPECT_EQ(doc.Header.ThreshHigh, 3000);
    EXPECT_EQ(doc.Header.ThreshLow, 20);
    EXPECT_EQ(doc.Header.DateObs, "1997-03-05");
    EXPECT_EQ(doc.Header.TimeBeg, "21:4:9.05");
    EXPECT_EQ(doc.Header.TimeExp, "3");
    EXPECT_EQ(doc.FileName, "/n/s.FIT");
    EXPECT_EQ(doc.CommentLines, (std::vector<std::string>{Line("Nuit claire"), Line("")}));
    EXPECT_EQ(Values16(doc), (std::vector<int16_t>{10, 7, 4, 10, 7, 4}));
}

TEST(CpaTimes, DateTimeTexts) {
    struct Case {
        double days;
        const char* date;
        const char* time;
    };
    const std::vector<Case> cases = {
        {kStart, "1997-03-05", "21:4:9.250"},
        {35494.0 + 9.05 / 86400.0, "1997-03-05", "0:0:9.050"},
        {35494.0 + 0.999 / 86400.0, "1997-03-05", "0:0:0.999"},
        {0, "1899-12-30", "0:0:0.000"},
        {-1.25, "1899-12-29", "6:0:0.000"},
        {36526.5, "2000-01-01", "12:0:0.000"},
        {std::nan(""), "1899-12-30", "0:0:0.000"},
    };
    for (const Case& c : cases) {
        const TCpaDateTime t = CpaDateTimeText(c.days);
        EXPECT_EQ(t.Date, c.date) << c.days;
        EXPECT_EQ(t.Time, c.time) << c.days;
    }
    EXPECT_NO_THROW(CpaDateTimeText(1e300));
    EXPECT_NO_THROW(CpaDateTimeText(-1e300));
}

TEST(CpaTimes, SixByteReals) {
    struct Case {
        std::array<uint8_t, 6> bytes;
        double value;
    };
    for (const Case& c : std::vector<Case>{{{0, 1, 2, 3, 4, 5}, 0},
                                           {{129, 0, 0, 0, 0, 0}, 1},
                                           {{129, 0, 0, 0, 0, 0x80}, -1},
                                           {{132, 0, 0, 0, 0, 0x20}, 10},
                                           {{126, 0, 0, 0, 0, 0}, 0.125}})
        EXPECT_EQ(Real48ToDouble(c.bytes.data()), c.value);
}

TEST(CpaLoad, RefusalsGiveTheirMessageAndLeaveNothing) {
    TLongHeader eight, seven, huge;
    eight.Type = 2;
    seven.Type = 7;
    huge.Width = huge.Height = 65535;
    std::vector<uint8_t> notCpa(2000, 0x41);
    const std::string notCpaText = "Ce fichier n'est certainement pas une image CPA !\nOuverture annulée";
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"no signature", notCpa, notCpaText},
        {"empty file", {}, notCpaText},
        {"8-bit data", eight.Bytes(), "Données 8 bits non supportees !"},
        {"type 7", seven.Bytes(), "Type de données incorrect !"},
        {"size no file can hold", huge.Bytes(), "Taille d'image incorrecte !"},
    };
    for (const Case& c : cases) {
        TRecordingHost host;
        TImageDocument doc;
        EXPECT_EQ(LoadCpaFromBytes(doc, c.file, "x.cpa", host), TLoadResult::Refused) << c.name;
        ASSERT_EQ(host.Messages.size(), 1u) << c.name;
        EXPECT_EQ(host.Messages[0].Text, c.message) << c.name;
        EXPECT_EQ(host.Messages[0].Kind, TMsgKind::Error);
        EXPECT_EQ(host.Messages[0].Buttons, TButtons::Ok);
        EXPECT_TRUE(IsEmptyDocument(doc)) << c.name;
    }
}

TEST(CpaLoad, TruncatedFilesNeverReadPastTheirEnd) {
    TLongHeader types[4];
    types[0].Compressed = 1;
    types[2].Type = 6;
    types[3].Type = 11;
    TShortHeader s;
    std::vector<std::vector<uint8_t>> files;
    for (auto& t : types) {
        t.Width = 5, t.Height = 3, t.Texts[0] = "x";
        auto f = t.Bytes();
        for (int k = 0; k < 5 * 3 * 8; ++k)
            f.push_back(static_cast<uint8_t>(k * 37));
        files.push_back(f);
    }
    auto sf = s.Bytes();
    for (int k = 0; k < 40; ++k)
        sf.push_back(static_cast<uint8_t>(k * 91));
    files.push_back(sf);
    for (const auto& full : files) {
        for (size_t cut = 0; cut <= full.size(); ++cut) {
            TRecordingHost host;
            TImageDocument doc;
            const std::vector<uint8_t> file(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
            const TLoadResult r = LoadCpaFromBytes(doc, file, "t.cpa", host);
            if (r != TLoadResult::Loaded) continue;
            EXPECT_EQ(doc.PixelStore.size(),
                      size_t(doc.ImageWidth) * doc.ImageHeight * BytesPerPixel(doc.PixelType));
        }
    }
    // The file read through OpenImage: the extension picks the reader whatever its case.
    TTempDir dir;
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(OpenImage(doc, dir.Write("m42.cpa", files[1]), host), TLoadResult::Loaded);
    EXPECT_EQ(doc.FileName, dir.File("m42.FIT"));
}
