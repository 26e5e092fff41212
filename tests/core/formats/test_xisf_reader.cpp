#include "core/formats/xisf_reader.h"

#include "core/formats/fits_writer.h"
#include "core/formats/recording_host.h"
#include "core/formats/series_test_files.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orv;
using orv::formats_test::ExpectRefusal;
using orv::formats_test::TRecordingHost;
using orv::test::TXisfCodec;
using orv::test::TXisfFile;

namespace {

TLoadResult Load(TImageDocument& doc, const TXisfFile& file, TRecordingHost& host) {
    const std::vector<uint8_t> bytes = file.Bytes();
    return LoadXisfFromSource(doc, *MemorySource(bytes), "/data/m42.xisf", host);
}

// `count` samples of `size` bytes, little-endian, each with every byte different.
std::vector<uint8_t> Samples(size_t count, size_t size) {
    std::vector<uint8_t> b(count * size);
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = uint8_t(i * 37 + 11);
    return b;
}

} // namespace

TEST(XisfReader, EveryCodecShufflingAndSampleFormatGivesTheSamples) {
    // 5 x 3 samples; the store holds the bottom row first, as FITS values (unsigned 16 and 32-bit
    // samples less 2^15 and 2^31, 8-bit widened).
    struct Format {
        const char* name;
        size_t size, stored;
    } formats[] = {{"UInt8", 1, 2}, {"UInt16", 2, 2}, {"UInt32", 4, 4}, {"Float32", 4, 4}, {"Float64", 8, 8}};
    const TXisfCodec codecs[] = {TXisfCodec::None, TXisfCodec::Zlib, TXisfCodec::Lz4, TXisfCodec::Lz4Hc,
                                 TXisfCodec::Zstd};
    for (const Format& f : formats)
        for (const TXisfCodec codec : codecs)
            for (const bool shuffled : {false, true}) {
                if (codec == TXisfCodec::None && shuffled) continue;
                SCOPED_TRACE(std::string(f.name) + " codec " + std::to_string(int(codec)) +
                             (shuffled ? " +sh" : ""));
                TXisfFile file;
                file.Geometry = "5:3:1";
                file.SampleFormat = f.name;
                file.Codec = codec;
                file.ShuffleItem = shuffled ? f.size : 0;
                file.Samples = Samples(15, f.size);
                TRecordingHost host;
                TImageDocument doc;
                ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
                EXPECT_TRUE(host.Messages.empty());
                EXPECT_EQ(doc.ImageWidth, 5);
                EXPECT_EQ(doc.ImageHeight, 3);
                ASSERT_EQ(doc.PixelStore.size(), 15 * f.stored);
                for (size_t y = 0; y < 3; ++y)
                    for (size_t x = 0; x < 5; ++x) {
                        const uint8_t* in = file.Samples.data() + (y * 5 + x) * f.size;
                        const uint8_t* out = doc.PixelStore.data() + ((2 - y) * 5 + x) * f.stored;
                        uint8_t want[8] = {};
                        std::memcpy(want, in, f.size);
                        if (f.size == 2 || f.size == 4)
                            want[f.size - 1] ^= std::string(f.name) == "Float32" ? 0 : 0x80;
                        ASSERT_EQ(std::memcmp(out, want, f.stored), 0) << x << "," << y;
                    }
            }
}

TEST(XisfReader, ByteOrderStorageAndExtraChannelsGiveTheFirstChannel) {
    struct Case {
        const char* what;
        std::string extra;
        std::vector<uint8_t> samples; // 2 x 1 pixels, two channels
        int16_t left, right;          // stored values (sample - 32768)
    } cases[] = {
        {"planar, little-endian", "", {0x01, 0x80, 0x02, 0x80, 0xFF, 0xFF, 0xFF, 0xFF}, 1, 2},
        {"planar, big-endian", "byteOrder=\"big\"", {0x80, 0x01, 0x80, 0x02, 0xFF, 0xFF, 0xFF, 0xFF}, 1, 2},
        {"interleaved", "pixelStorage=\"Normal\"", {0x01, 0x80, 0xFF, 0xFF, 0x02, 0x80, 0xFF, 0xFF}, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TXisfFile file;
        file.Geometry = "2:1:2";
        file.Extra = c.extra;
        file.Samples = c.samples;
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
        int16_t v[2];
        std::memcpy(v, doc.PixelStore.data(), 4);
        EXPECT_EQ(v[0], c.left);
        EXPECT_EQ(v[1], c.right);
    }
}

TEST(XisfReader, RgbImagesBecomeRedGreenAndBluePlanes) {
    // 2 x 1 pixels: red 1, 2; green 3, 4; blue 5, 6 (UInt16 samples, stored less 32768).
    struct Case {
        const char* what;
        std::string extra;
        std::vector<uint8_t> samples;
        TXisfCodec codec;
    } cases[] = {
        {"planar", "", {1, 0x80, 2, 0x80, 3, 0x80, 4, 0x80, 5, 0x80, 6, 0x80}, TXisfCodec::None},
        {"planar, compressed", "", {1, 0x80, 2, 0x80, 3, 0x80, 4, 0x80, 5, 0x80, 6, 0x80}, TXisfCodec::Zstd},
        {"interleaved",
         " pixelStorage=\"Normal\"",
         {1, 0x80, 3, 0x80, 5, 0x80, 2, 0x80, 4, 0x80, 6, 0x80},
         TXisfCodec::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TXisfFile file;
        file.Geometry = "2:1:3";
        file.Extra = "colorSpace=\"RGB\"" + c.extra;
        file.Samples = c.samples;
        file.Codec = c.codec;
        TRecordingHost host;
        TImageDocument doc;
        ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
        EXPECT_EQ(doc.Colour.Planes, 3);
        EXPECT_EQ(doc.Header.Naxis3, 3);
        ASSERT_EQ(doc.PixelStore.size(), 12u);
        int16_t v[6];
        std::memcpy(v, doc.PixelStore.data(), 12);
        EXPECT_EQ(std::vector<int16_t>(v, v + 6), (std::vector<int16_t>{1, 2, 3, 4, 5, 6}));
    }
}

TEST(XisfReader, FitsKeywordsBecomeTheHeaderAndTheImageItsOwnStructure) {
    TXisfFile file;
    file.Samples = Samples(6, 2);
    file.Keywords = {{"SIMPLE", "T"},
                     {"BITPIX", "-32"},
                     {"NAXIS", "3"},
                     {"NAXIS3", "7"},
                     {"BZERO", "0"},
                     {"OBJECT", "'M42 &amp; M43'"},
                     {"DATE-OBS", "'2024-03-09'"},
                     {"EXPTIME", "30."},
                     {"COMMENT", ""},
                     {"bad key", "1"},
                     {"FILTER", "'Ha"},
                     {"ROWORDER", "'TOP-DOWN'"}};
    TRecordingHost host;
    TImageDocument doc;
    ASSERT_EQ(Load(doc, file, host), TLoadResult::Loaded);
    EXPECT_EQ(doc.FileName, "/data/m42.fit");
    EXPECT_EQ(doc.Header.Object, "M42 & M43");
    EXPECT_EQ(doc.Header.DateObs, "2024-03-09");
    std::string header;
    for (const std::string& card : BuildFitsHeaderCards(doc))
        header += card.substr(0, card.find_last_not_of(' ') + 1) + "\n";
    EXPECT_EQ(header.substr(0, header.find("DATE-OBS")), "SIMPLE  =                    T / c\n"
                                                         "BITPIX  =                   16 / c\n"
                                                         "NAXIS   =                    2 / c\n"
                                                         "NAXIS1  =                    3\n"
                                                         "NAXIS2  =                    2\n");
    EXPECT_NE(header.find("BZERO   =                32768"), std::string::npos) << header;
    EXPECT_NE(header.find("EXPTIME = 30. / c"), std::string::npos) << header;
    EXPECT_NE(header.find("FILTER  = 'Ha' / c"), std::string::npos) << header;
    EXPECT_EQ(header.find("bad key"), std::string::npos) << header;
    EXPECT_EQ(header.find("ROWORDER"), std::string::npos) << header; // the rows are turned as they are read
    // Without threshold keywords the thresholds span the format's values.
    EXPECT_EQ(doc.LowThreshold, -32768);
    EXPECT_EQ(doc.HighThreshold, 32767);
}

TEST(XisfReader, RefusalsSayWhyBeforeAllocatingWhatTheHeaderAnnounces) {
    const std::string name = "Le fichier m42.xisf";
    const auto with = [](auto change) {
        TXisfFile file;
        file.Samples = Samples(6, 2);
        file.Codec = TXisfCodec::Zstd;
        change(file);
        return file;
    };
    struct Case {
        const char* what;
        TXisfFile file;
        std::string message;
    } cases[] = {
        {"RGB of one channel", with([](TXisfFile& f) { f.Extra = "colorSpace=\"RGB\""; }),
         name + " a des dimensions d'image incorrectes (3:2:1) !"},
        {"three axes", with([](TXisfFile& f) { f.Geometry = "3:2:1:1"; }),
         name + " a des dimensions d'image incorrectes (3:2:1:1) !"},
        {"UInt64", with([](TXisfFile& f) { f.SampleFormat = "UInt64"; }),
         name + " a un format d'échantillons non pris en charge (UInt64) !"},
        {"unknown codec", with([](TXisfFile& f) { f.Compression = "bzip2:12"; }),
         name + " utilise une compression inconnue (bzip2) !"},
        {"a block beyond the end", with([](TXisfFile& f) { f.Location = "attachment:8192:99999"; }),
         name + " annonce des données au-delà de sa fin (attachment:8192:99999) !"},
        {"data kept in the header", with([](TXisfFile& f) { f.Location = "inline:base64"; }),
         name + " place ses données d'une façon non prise en charge (inline) !"},
        {"an inflated size that is not the image's", with([](TXisfFile& f) { f.Compression = "zstd:13"; }),
         name + " annonce une taille décompressée incorrecte (13 octets au lieu de 12) !"},
        {"an image far larger than its block",
         with([](TXisfFile& f) { f.Geometry = "46000:46000:1", f.Compression = "zstd:4232000000"; }),
         name + " annonce une image trop grande pour lui (46000x46000) !"},
        {"sub-blocks that do not add up", with([](TXisfFile& f) { f.Extra = "subblocks=\"5,6:5,6\""; }),
         name + " a des sous-blocs incorrects (5,6:5,6) !"},
        {"a corrupt stream",
         with([](TXisfFile& f) { f.Codec = TXisfCodec::None, f.Compression = "zlib:12"; }),
         name + " est corrompu (données zlib incorrectes) !"},
        {"a stream that inflates short",
         with([](TXisfFile& f) { f.Samples.resize(10), f.Compression = "zstd:12"; }),
         name + " est corrompu (données zstd incorrectes) !"},
        {"broken XML", with([](TXisfFile& f) { f.Extra = "a=\"1\" a"; }),
         name + " a un en-tête XISF incorrect ('=' attendu) !"},
        {"no image", with([](TXisfFile& f) { f.Element = "Other"; }), name + " ne contient aucune image !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TRecordingHost host;
        TImageDocument doc;
        const TLoadResult result = Load(doc, c.file, host);
        ExpectRefusal(result, host, doc, c.message);
    }
}
