#include "core/formats/fits_tile_streams.h"

#include "core/formats/gzip_stream.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace orv;

namespace {

// An HCOMPRESS header: the magic number, width, height, scale, sum and the three bit-plane
// counts, then the data.
std::vector<uint8_t> Hcompress(int nx, int ny, std::vector<uint8_t> planes, std::vector<uint8_t> data) {
    std::vector<uint8_t> t{0xDD, 0x99};
    for (int v : {nx, ny, 1})
        for (int s = 24; s >= 0; s -= 8)
            t.push_back(uint8_t(v >> s));
    t.insert(t.end(), 8, 0);
    t.insert(t.end(), planes.begin(), planes.end());
    t.insert(t.end(), data.begin(), data.end());
    return t;
}

} // namespace

TEST(FitsTileStreams, TilesThatTheirDecoderWouldReadPast) {
    // Rice, one byte a value: the first value, then 3 bits of code length a block (0: all the
    // block equal, 7: raw bytes, 1: codes of a leading one after zeros).
    const std::vector<uint8_t> twoFlatBlocks{7, 0x00};
    const std::vector<uint8_t> gzip = GzipCompress(std::vector<uint8_t>(32, 5));
    std::vector<uint8_t> gzipFlipped = gzip;
    gzipFlipped[gzip.size() / 2] ^= 0x55;
    struct Case {
        const char* what;
        std::function<bool()> fits;
        bool expected;
    } cases[] = {
        {"Rice: two equal blocks in a byte", [&] { return RiceTileFits(twoFlatBlocks, 64, 32, 1); }, true},
        {"Rice: a third block past the end", [&] { return RiceTileFits(twoFlatBlocks, 65, 32, 1); }, false},
        {"Rice: a block size of 0", [&] { return RiceTileFits(twoFlatBlocks, 64, 0, 1); }, false},
        {"Rice: no byte after the first value",
         [] { return RiceTileFits(std::vector<uint8_t>{7}, 1, 32, 1); }, false},
        {"Rice: raw values all there",
         [] {
             return RiceTileFits(std::vector<uint8_t>{0, 0xE0, 1, 2}, 2, 32, 1);
         },
         true},
        {"Rice: a raw value missing",
         [] {
             return RiceTileFits(std::vector<uint8_t>{0, 0xE0, 1}, 2, 32, 1);
         },
         false},
        {"Rice: a code ends",
         [] {
             return RiceTileFits(std::vector<uint8_t>{0, 0x20, 0x80}, 1, 32, 1);
         },
         true},
        {"Rice: zeros to the end",
         [] {
             return RiceTileFits(std::vector<uint8_t>{0, 0x20, 0, 0}, 1, 32, 1);
         },
         false},
        {"Rice: four bytes a value",
         [] {
             return RiceTileFits(std::vector<uint8_t>{0, 0, 0, 0}, 1, 32, 4);
         },
         false},
        {"HCOMPRESS: not such data (refused unread)",
         [] {
             return HcompressTileFits({{0x12, 0x34}}, 16);
         },
         true},
        {"HCOMPRESS: a header cut short",
         [] {
             return HcompressTileFits({{0xDD, 0x99, 0, 0}}, 16);
         },
         false},
        {"HCOMPRESS: no plane, the end code",
         [] {
             return HcompressTileFits(Hcompress(4, 4, {0, 0, 0}, {0}), 16);
         },
         true},
        {"HCOMPRESS: the end code missing",
         [] {
             return HcompressTileFits(Hcompress(4, 4, {0, 0, 0}, {}), 16);
         },
         false},
        {"HCOMPRESS: an image larger than the tile",
         [] {
             return HcompressTileFits(Hcompress(4, 5, {0, 0, 0}, {0}), 16);
         },
         false},
        // One plane written directly: a nybble a 2 x 2 block, then the end code, then from the
        // next byte a sign bit for each pixel set.
        {"HCOMPRESS: a plane and its sign",
         [] {
             return HcompressTileFits(Hcompress(2, 2, {1, 0, 0}, {0x08, 0x00, 0x80}), 4);
         },
         true},
        {"HCOMPRESS: the sign missing",
         [] {
             return HcompressTileFits(Hcompress(2, 2, {1, 0, 0}, {0x08, 0x00}), 4);
         },
         false},
        {"HCOMPRESS: planes for an empty quadrant",
         [] {
             return HcompressTileFits(Hcompress(1, 4, {0, 1, 0}, {0, 0, 0}), 4);
         },
         false},
        {"PLIO: a run",
         [] {
             return PlioTileFits(std::vector<int16_t>{0, 0, 4, 4 * 4096 + 5});
         },
         true},
        {"PLIO: a list longer than the tile",
         [] {
             return PlioTileFits(std::vector<int16_t>{0, 0, 6, 0});
         },
         false},
        {"PLIO: a value set by the last word",
         [] {
             return PlioTileFits(std::vector<int16_t>{0, 0, 4, 4096 + 3});
         },
         false},
        {"PLIO: a long header",
         [] {
             return PlioTileFits(std::vector<int16_t>{0, 4, 0, 6, 0, 0});
         },
         true},
        {"PLIO: a list that starts before the tile",
         [] {
             return PlioTileFits(std::vector<int16_t>{0, -9, 0, 6, 0, 0});
         },
         false},
        {"PLIO: too short for its header",
         [] {
             return PlioTileFits(std::vector<int16_t>{0, 0});
         },
         false},
        {"GZIP: a whole stream", [&] { return GzipTileFits(gzip, 32); }, true},
        {"GZIP: a corrupt stream", [&] { return GzipTileFits(gzipFlipped, 32); }, false},
        {"GZIP: more than the tile holds", [&] { return GzipTileFits(gzip, 31); }, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.fits(), c.expected) << c.what;
}
