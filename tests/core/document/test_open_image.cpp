#include "core/document/open_image.h"

#include "core/base/bitmap.h"
#include "core/formats/fits_test_files.h"
#include "core/formats/gzip_stream.h"
#include "core/formats/recording_host.h"
#include "core/formats/series_test_files.h"
#include "core/formats/temp_dir.h"

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
        int tools; // the enabling rule runs after every reader, and only then
    } cases[] = {
        {"a.fts", fits, TLoadResult::Loaded, kKindFits, 1},
        {"b.FIT", fits, TLoadResult::Loaded, kKindFits, 1},
        {"c.Fit", fits, TLoadResult::Loaded, kKindFits, 1},
        {"c.fits", fits, TLoadResult::Loaded, kKindFits, 1},
        {"c.FITS", fits, TLoadResult::Loaded, kKindFits, 1},
        {"c.fts.GZ", GzipCompress(fits), TLoadResult::Loaded, kKindFits, 1},
        {"c.fits.gz", fits, TLoadResult::Refused, kKindEmpty, 1}, // not compressed after all
        {"c.fz", fits, TLoadResult::Loaded, kKindFits, 1},
        {"notes.gz", GzipCompress(fits), TLoadResult::Ignored, kKindEmpty, 0},
        {"d.Bmp", picture.ToBmpFile(), TLoadResult::Loaded, kKindBmp, 1},
        {"e.gif", gif.SaveToMemory(), TLoadResult::Loaded, kKindGif, 1},
        {"f.pic", {1, 2, 3}, TLoadResult::Refused, kKindEmpty, 1},
        {"g.SER", ser.Bytes(), TLoadResult::Loaded, kKindFits, 1},
        {"h.Xisf", xisf.Bytes(), TLoadResult::Loaded, kKindFits, 1},
        {"i.ser", fits, TLoadResult::Refused, kKindEmpty, 1},
        {"notes.txt", fits, TLoadResult::Ignored, kKindEmpty, 0},
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
        EXPECT_EQ(host.Tools, c.tools) << c.name;
    }
}
