#include "core/formats/fits_writer.h"

#include "core/formats/gzip_stream.h"

#include "core/base/file_io.h"
#include "core/formats/fits_reader.h"
#include "core/formats/fits_test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <unistd.h>

using namespace orv;
using namespace orv::test;

namespace {

// A 16-bit document as a program would make it.
TImageDocument Document16(int32_t w, int32_t h, const std::vector<int16_t>& values) {
    TImageDocument doc;
    doc.Kind = kKindFits;
    doc.PixelType = kPixelInt16;
    doc.ImageWidth = w;
    doc.ImageHeight = h;
    doc.Header.Simple = true;
    doc.Header.Naxis = 2;
    doc.HighThreshold = 16383;
    doc.PixelStore.resize(values.size() * 2);
    if (!values.empty()) std::memcpy(doc.PixelStore.data(), values.data(), doc.PixelStore.size());
    return doc;
}

std::string CardAt(const std::vector<uint8_t>& file, size_t index) {
    return std::string(reinterpret_cast<const char*>(file.data()) + index * 80, 80);
}

std::vector<std::string> Trimmed(const std::vector<std::string>& cards) {
    std::vector<std::string> out;
    for (std::string c : cards) {
        while (!c.empty() && c.back() == ' ')
            c.pop_back();
        out.push_back(c);
    }
    return out;
}

TImageDocument Reload(const std::vector<uint8_t>& file) {
    TRecordingHost host;
    TImageDocument doc;
    EXPECT_EQ(LoadFitsFromBytes(doc, file, "again.fit", host), TLoadResult::Loaded);
    return doc;
}

struct TTempDir {
    std::filesystem::path Path =
        std::filesystem::temp_directory_path() / ("orvanel-fitsw-" + std::to_string(::getpid()));
    TTempDir() { std::filesystem::create_directories(Path); }
    ~TTempDir() { std::filesystem::remove_all(Path); }
};

} // namespace

TEST(FitsWriter, HeaderCardsInTheirOrder) {
    TImageDocument doc = Document16(3, 2, {1, 2, 3, 4, 5, 6});
    TFitsHeader& h = doc.Header;
    h.SimpleComment = "standard";
    h.Naxis3 = 1;
    h.Naxis = 3;
    h.Extend = true;
    h.Date = "2024-01-02";
    h.DateObs = "2024-01-01";
    h.Object = "M31/NGC224";
    h.TimeBeg = "21:00:00";
    h.Referenc = "ref";
    h.Origin = "here";
    h.DataMax = 4000;
    h.BZero = 32768;
    h.BScale = 1;
    h.Equinox = 2000;
    doc.HighThreshold = 1000.5; // halves to even
    doc.LowThreshold = -2.5;
    doc.OtherCards = {"GAIN    =                  2.5"};
    doc.CommentLines = {"a comment"};
    doc.HistoryLines = {"a history line"};
    const std::vector<std::string> expected{
        "SIMPLE  =                    T / standard",
        "BITPIX  =                   16",
        "NAXIS   =                    3",
        "NAXIS1  =                    3",
        "NAXIS2  =                    2",
        "NAXIS3  =                    1",
        "EXTEND  =                    T",
        "DATE    = '2024-01-02'",
        "DATE-OBS= '2024-01-01'",
        "ORIGIN  = 'here'",
        "OBJECT  = 'M31/NGC224'",
        "TIME_BEG= '21:00:00'",
        "REFERENC= 'ref'",
        "DATAMAX =                 4000",
        "BZERO   =                32768",
        "EQUINOX =                 2000",
        "THRESH  =                 1000",
        "THRESL  =                   -2",
        "GAIN    =                  2.5",
        "COMMENT a comment",
        "HISTORY a history line",
        "END",
    };
    const auto cards = BuildFitsHeaderCards(doc);
    for (const std::string& c : cards)
        EXPECT_EQ(c.size(), 80u);
    EXPECT_EQ(Trimmed(cards), expected);
    // Building the cards changes nothing: only a save that has written its file does.
    EXPECT_EQ(h.ThreshHigh, 16383);
    EXPECT_EQ(h.ThreshLow, 0);
    EXPECT_EQ(h.Bitpix, 0);
}

TEST(FitsWriter, BitpixFollowsThePixelType) {
    struct Case {
        uint8_t pixelType;
        int bitpix;
        std::vector<uint8_t> store;
        std::vector<uint8_t> data;
    } cases[] = {
        {kPixelInt16, 16, {0x34, 0x12}, {0x12, 0x34}},
        {kPixelInt32, 32, {4, 3, 2, 1}, {1, 2, 3, 4}},
        {kPixelReal32, -32, {0, 0, 0xC0, 0x3F}, {0x3F, 0xC0, 0, 0}},
        {kPixelReal64, -64, {8, 7, 6, 5, 4, 3, 2, 1}, {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const Case& c : cases) {
        TImageDocument doc = Document16(1, 1, {});
        doc.PixelType = c.pixelType;
        doc.PixelStore = c.store;
        const auto file = BuildFitsFile(doc);
        EXPECT_EQ(CardAt(file, 1).substr(0, 30),
                  "BITPIX  = " + std::string(20 - std::to_string(c.bitpix).size(), ' ') +
                      std::to_string(c.bitpix));
        ASSERT_EQ(file.size(), 2u * 2880u);
        EXPECT_EQ(std::vector<uint8_t>(file.begin() + 2880, file.begin() + 2880 + c.data.size()), c.data);
        EXPECT_EQ(Reload(file).PixelStore, c.store);
    }
}

TEST(FitsWriter, DefaultsAreLeftOut) {
    TImageDocument doc = Document16(1, 1, {0});
    doc.Header.BScale = 1;
    doc.Header.BZero = 0;
    const auto cards = Trimmed(BuildFitsHeaderCards(doc));
    EXPECT_EQ(cards,
              (std::vector<std::string>{"SIMPLE  =                    T", "BITPIX  =                   16",
                                        "NAXIS   =                    2", "NAXIS1  =                    1",
                                        "NAXIS2  =                    1", "THRESH  =                16383",
                                        "THRESL  =                    0", "END"}));
}

TEST(FitsWriter, BlocksAndPadding) {
    // n header cards with END: the header fills whole blocks and nothing more.
    for (size_t n : {8u, 35u, 36u, 37u, 72u}) {
        SCOPED_TRACE(n);
        TImageDocument doc = Document16(3, 1, {0x1234, -1, 7});
        while (BuildFitsHeaderCards(doc).size() < n)
            doc.OtherCards.push_back("FILLER  = 1");
        const auto file = BuildFitsFile(doc);
        const size_t headerBytes = (n + 35) / 36 * 2880;
        ASSERT_EQ(file.size(), headerBytes + 2880);
        EXPECT_EQ(CardAt(file, n - 1).substr(0, 8), "END     ");
        for (size_t i = n * 80; i < headerBytes; ++i)
            ASSERT_EQ(file[i], ' ') << i;
        EXPECT_EQ(file[headerBytes], 0x12);
        EXPECT_EQ(file[headerBytes + 1], 0x34);
        for (size_t i = headerBytes + 6; i < file.size(); ++i)
            ASSERT_EQ(file[i], 0) << i;
        EXPECT_EQ(Reload(file).PixelStore, doc.PixelStore);
    }
}

TEST(FitsWriter, KeptBytesFollowTheData) {
    // A file whose data unit is followed by its padding and one more block.
    std::vector<uint8_t> extension(2880, 'X');
    const auto file =
        TFitsBuilder().Image(16, 2, 1).End().Blanks().BigEndian({1, 2}, 2).Zeros().Append(extension);
    TImageDocument doc = Reload(file.Bytes);
    EXPECT_EQ(doc.TrailingBytes.size(), 2876u + 2880u);
    const auto written = BuildFitsFile(doc);
    EXPECT_EQ(std::vector<uint8_t>(written.begin() + 2880, written.end()),
              std::vector<uint8_t>(file.Bytes.begin() + 2880, file.Bytes.end()));

    // Kept bytes shorter than the padding: completed with zeros.
    TImageDocument cut =
        Reload(TFitsBuilder().Image(16, 2, 1).End().Blanks().BigEndian({1, 2}, 2).Append({0, 0}).Bytes);
    EXPECT_EQ(cut.TrailingBytes.size(), 2u);
    EXPECT_EQ(BuildFitsFile(cut).size(), 2u * 2880u);
}

TEST(FitsWriter, EightBitDataWrittenAs16BitsKeepTheGrid) {
    std::vector<uint64_t> values(3000);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = i % 256;
    const std::vector<uint8_t> extension(2880, 'X');
    struct Case {
        const char* what;
        TFitsBuilder file;
        std::vector<uint8_t> after; // what must follow the new padded data unit
    } cases[] = {
        {"padding then another unit",
         TFitsBuilder().Image(8, 100, 30).End().Blanks().BigEndian(values, 1).Zeros().Append(extension),
         extension},
        {"padding only", TFitsBuilder().Image(8, 100, 30).End().Blanks().BigEndian(values, 1).Zeros(), {}},
        {"no padding", TFitsBuilder().Image(8, 100, 30).End().Blanks().BigEndian(values, 1), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TImageDocument doc = Reload(c.file.Bytes);
        const auto written = BuildFitsFile(doc);
        const size_t dataUnit = (6000 + 2879) / 2880 * 2880;
        ASSERT_EQ(written.size(), 2880 + dataUnit + c.after.size());
        EXPECT_EQ(std::vector<uint8_t>(written.end() - c.after.size(), written.end()), c.after);
        for (size_t i = 2880 + 6000; i < 2880 + dataUnit; ++i)
            ASSERT_EQ(written[i], 0) << i;
        TImageDocument again = Reload(written);
        EXPECT_EQ(again.Header.Bitpix, 16);
        EXPECT_EQ(again.PixelStore, doc.PixelStore);
        // Saved, the document is what it wrote: saving again gives the same file.
        TTempDir dir;
        const std::string path = (dir.Path / "again.fit").string();
        SaveFits(doc, path);
        EXPECT_EQ(ReadWholeFile(path), written);
        EXPECT_EQ(doc.Header.Bitpix, 16);
        EXPECT_EQ(BuildFitsFile(doc), written);
    }
}

TEST(FitsWriter, ReadSaveReadKeepsEverything) {
    const auto file = TFitsBuilder()
                          .Image(-32, 2, 2)
                          .Value("EXTEND", "T")
                          .Str("DATE", "01/02/99", "old style")
                          .Str("OBJECT", "M31/NGC224", "the object")
                          .Str("OBSERVER", "O''Hara")
                          .Str("INSTRUME", std::string(40, 'i'), "kept after the value")
                          .Value("BSCALE", "0.5")
                          .Value("DATAMIN", "-1E-5")
                          .Value("MIPS-HI", "300", "high")
                          .Value("MIPS-LO", "-20", "low")
                          .Raw("COMMENT   spaced comment")
                          .Raw("HISTORY   history")
                          .Value("EXPTIME", "30.0", "seconds")
                          .End()
                          .Blanks()
                          .BigEndian({0x3F800000, 0xBF800000, 0x7F800000, 0}, 4)
                          .Zeros();
    TImageDocument first = Reload(file.Bytes);
    TImageDocument second = Reload(BuildFitsFile(first));
    const TFitsHeader &a = first.Header, &b = second.Header;
    EXPECT_EQ(b.Date, "01/02/99");
    EXPECT_EQ(b.DateComment, "old style");
    EXPECT_EQ(b.Object, "M31/NGC224");
    EXPECT_EQ(b.Observer, "O'Hara");
    EXPECT_EQ(b.Instrume, a.Instrume);
    EXPECT_EQ(b.InstrumeComment, "kept after the value");
    EXPECT_EQ(b.BScale, 0.5);
    EXPECT_EQ(b.DataMin, -1e-5);
    EXPECT_EQ(b.ThreshHigh, 300);
    EXPECT_EQ(b.ThreshHighComment, "high");
    EXPECT_EQ(b.ThreshLow, -20);
    EXPECT_TRUE(b.Extend);
    EXPECT_EQ(second.CommentLines, first.CommentLines);
    EXPECT_EQ(second.HistoryLines, first.HistoryLines);
    EXPECT_EQ(second.OtherCards, first.OtherCards);
    EXPECT_EQ(second.PixelStore, first.PixelStore);
    EXPECT_EQ(second.TrailingBytes, first.TrailingBytes);
    // MIPS-HI and MIPS-LO come back as THRESH and THRESL.
    const auto cards = Trimmed(BuildFitsHeaderCards(second));
    EXPECT_NE(std::find(cards.begin(), cards.end(), "THRESH  =                  300 / high"), cards.end());
}

TEST(FitsWriter, SaveFitsNamesTheFile) {
    TTempDir dir;
    const std::string folder = (dir.Path / "night.2024").string();
    std::filesystem::create_directories(folder);
    struct Case {
        std::string given, written;
    } cases[] = {
        {folder + "/m31", folder + "/m31.Fit"},
        {folder + "/m31.fts", folder + "/m31.fts"},
        {folder + "/m31.fit", folder + "/m31.fit"},
        {folder + "/m31.FITS", folder + "/m31.FITS"},
        {folder + "/m31.fits.gz", folder + "/m31.fits.gz"}, // gzip-compressed
    };
    for (const Case& c : cases) {
        TImageDocument doc = Document16(768, 2, std::vector<int16_t>(1536, 3));
        SaveFits(doc, c.given);
        EXPECT_TRUE(FileExists(c.written)) << c.written;
        EXPECT_EQ(doc.FileName, c.written);
        EXPECT_EQ(doc.Caption, "Image : " + std::filesystem::path(c.written).filename().string() +
                                   " (768x2) Entier 16 bits");
        std::vector<uint8_t> written = ReadWholeFile(c.written);
        if (c.written.ends_with(".gz")) {
            std::vector<uint8_t> inflated(written.size() * 1032);
            inflated.resize(TGzipInflater(written).Read(inflated.data(), inflated.size()));
            written = inflated;
        }
        EXPECT_EQ(written, BuildFitsFile(doc));
    }
}

TEST(FitsWriter, AFailedSaveLeavesTheDocumentAsItWas) {
    // 8-bit data and a unit after them: saving would change BITPIX and the kept bytes.
    TImageDocument doc = Reload(TFitsBuilder()
                                    .Image(8, 3, 1)
                                    .End()
                                    .Blanks()
                                    .BigEndian({1, 2, 3}, 1)
                                    .Zeros()
                                    .Append(std::vector<uint8_t>(2880, 'X'))
                                    .Bytes);
    doc.FileName = "/data/old.fit";
    doc.Caption = "Image : old.fit (3x1) Entier 16 bits";
    doc.HighThreshold = 500;
    const TFitsHeader header = doc.Header;
    const std::vector<uint8_t> trailing = doc.TrailingBytes;
    EXPECT_THROW(SaveFits(doc, "/nonexistent-folder/x.fit"), EFileError);
    EXPECT_EQ(doc.FileName, "/data/old.fit");
    EXPECT_EQ(doc.Caption, "Image : old.fit (3x1) Entier 16 bits");
    EXPECT_EQ(doc.Header.Bitpix, header.Bitpix);
    EXPECT_EQ(doc.Header.ThreshHigh, header.ThreshHigh);
    EXPECT_EQ(doc.TrailingBytes, trailing);
}
