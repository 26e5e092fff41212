#include "core/document/open_image.h"

#include "core/base/bitmap.h"
#include "core/formats/fits_test_files.h"
#include "core/formats/gzip_stream.h"
#include "core/formats/recording_host.h"
#include "core/formats/series_test_files.h"
#include "core/formats/temp_dir.h"
#include "core/image/readout.h"

#include <gtest/gtest.h>

using namespace orv;
using orv::formats_test::TRecordingHost;
using orv::formats_test::TTempDir;

TEST(OpenImage, ChoosesTheReaderByTheUpperCasedExtension) {
    TTempDir dir;
    const std::vector<uint8_t> fits =
        orv::test::TFitsBuilder().Image(16, 2, 1).End().Blanks().BigEndian({1, 2}, 2).Zeros().Bytes;
    TBitmap picture;
    picture.Width = 3, picture.Height = 2, picture.BitCount = 24;
    picture.Pixels.assign(18, 90);
    TGifFile gif;
    TColorTable table;
    InitColorTable(table, 2);
    gif.AddSubImage(table, TByteArray2D(4, 2), 0);
    orv::test::TSerFile ser;
    ser.Frames.assign(1, std::vector<uint16_t>(6, 9));
    orv::test::TXisfFile xisf;
    xisf.Samples.assign(12, 1);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        TLoadResult result;
        uint8_t kind;
    } cases[] = {
        {"a.fts", fits, TLoadResult::Loaded, kKindFits},
        {"b.FIT", fits, TLoadResult::Loaded, kKindFits},
        {"c.Fit", fits, TLoadResult::Loaded, kKindFits},
        {"c.fits", fits, TLoadResult::Loaded, kKindFits},
        {"c.FITS", fits, TLoadResult::Loaded, kKindFits},
        {"c.fts.GZ", GzipCompress(fits), TLoadResult::Loaded, kKindFits},
        {"c.fits.gz", fits, TLoadResult::Refused, kKindEmpty}, // not compressed after all
        {"c.fz", fits, TLoadResult::Loaded, kKindFits},
        {"notes.gz", GzipCompress(fits), TLoadResult::Ignored, kKindEmpty},
        {"d.Bmp", picture.ToBmpFile(), TLoadResult::Loaded, kKindBmp},
        {"e.gif", gif.SaveToMemory(), TLoadResult::Loaded, kKindGif},
        {"f.pic", {1, 2, 3}, TLoadResult::Refused, kKindEmpty},
        {"g.SER", ser.Bytes(), TLoadResult::Loaded, kKindFits},
        {"h.Xisf", xisf.Bytes(), TLoadResult::Loaded, kKindFits},
        {"i.ser", fits, TLoadResult::Refused, kKindEmpty},
        {"notes.txt", fits, TLoadResult::Ignored, kKindEmpty},
    };
    for (const auto& c : cases) {
        const std::string path = dir.Write(c.name, c.bytes);
        TRecordingHost host;
        TImageDocument doc;
        EXPECT_EQ(OpenImage(doc, path, host), c.result) << c.name;
        EXPECT_EQ(doc.Kind, c.kind) << c.name;
        // A tile-compressed file, a video or an XISF file is saved under a plain FITS name beside it.
        const size_t ext = path.rfind('.');
        const bool renamed = path.ends_with(".fz") || path.ends_with(".SER") || path.ends_with(".Xisf");
        const std::string saved = renamed ? path.substr(0, ext) + ".fit" : path;
        EXPECT_EQ(doc.FileName, c.result == TLoadResult::Loaded ? saved : "") << c.name;
    }
}

TEST(OpenImage, InputsFuzzingFoundOpenOrAreRefused) {
    // Files that once crashed or hung the program, kept in the fuzz corpora. A file of the
    // corpus of fuzz_open starts with the byte that chose its name.
    struct Case {
        const char* corpus;
        const char* name; // opened as
        TLoadResult result;
        const char* said; // the caption, or the message of a refusal
    } cases[] = {
        // wcslib's header parser wrote past its buffers on an open string, NUL bytes...
        {"fits/wcs-abort-1.fit", "a1.fit", TLoadResult::Loaded, "Image : a1.fit (2x4) Entier 16 bits"},
        {"fits/wcs-abort-2.fit", "a2.fit", TLoadResult::Loaded, "Image : a2.fit (2x2) Entier 16 bits"},
        {"fits/wcs-abort-3.fit", "a3.fit", TLoadResult::Loaded, "Image : a3.fit (2x4) Réel 64 bits"},
        {"fits/wcs-abort-ci.fit", "a4.fit", TLoadResult::Loaded, "Image : a4.fit (2x2) Entier 16 bits"},
        // ... and ran for ever on this one.
        {"fits/wcs-endless.fit", "e.fit", TLoadResult::Loaded, "Image : e.fit (2x2) Entier 16 bits"},
        // CFITSIO's Rice decoder read past a tile cut short, or zeroed, until it met a fault.
        {"open/rice-cut-short", "c.fz", TLoadResult::Refused,
         "Le fichier c.fz est corrompu (fichier tronqué) !\nOuverture annulée"},
        {"open/rice-zeroed", "z.fz", TLoadResult::Refused,
         "Le fichier z.fz est corrompu (tuile Rice incorrecte) !\nOuverture annulée"},
        // ... or one whose BYTEPIX card left its string open; its HCOMPRESS decoder wrote an
        // image as large as the tile's own header said.
        {"open/rice-open-bytepix", "b.fz", TLoadResult::Refused,
         "Le fichier b.fz est corrompu (en-tête compressé illisible) !\nOuverture annulée"},
        {"open/hcompress-larger-than-tile", "h.fz", TLoadResult::Refused,
         "Le fichier h.fz est corrompu (tuile HCOMPRESS incorrecte) !\nOuverture annulée"},
        // CFITSIO lost a buffer on a corrupt GZIP tile.
        {"open/gzip-tile-corrupt", "g.fz", TLoadResult::Refused,
         "Le fichier g.fz est corrompu (tuile GZIP incorrecte) !\nOuverture annulée"},
        // CFITSIO asked for petabytes on a table whose NAXIS1 card it could not read.
        {"open/cfitsio-unreadable-naxis1", "u.fz", TLoadResult::Refused,
         "Le fichier u.fz ne contient aucune image !\nOuverture annulée"},
        // A COMMENT text "= '..." was taken for an open string and rewritten on saving.
        {"open/cpa-comment-quote", "q.cpa", TLoadResult::Loaded, "Image : q.FIT (16x8) Entier 16 bits"},
    };
    TTempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.corpus);
        std::vector<uint8_t> bytes =
            TTempDir::Read(std::string(ORVANEL_SOURCE_DIR "/fuzz/corpus/") + c.corpus);
        ASSERT_FALSE(bytes.empty());
        if (std::string_view(c.corpus).starts_with("open/")) bytes.erase(bytes.begin());
        TRecordingHost host;
        host.Answers.assign(4, TAnswer::Yes);
        TImageDocument doc;
        EXPECT_EQ(OpenImage(doc, dir.Write(c.name, bytes), host), c.result);
        if (c.result == TLoadResult::Loaded) {
            EXPECT_EQ(doc.Caption, c.said);
            EXPECT_TRUE(PixelReadout(doc, 0, 0));
        } else {
            ASSERT_FALSE(host.Messages.empty());
            EXPECT_EQ(host.Messages.back().Text, c.said);
        }
    }
}
