#include "core/gif/gif_errors.h"
#include "core/gif/lzw_decoder.h"
#include "core/gif/lzw_encoder.h"
#include "core/gif/row_order.h"

#include "core/message_of.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace orv;

namespace {

std::vector<uint8_t> Bytes(const TByteBuffer& b) {
    return {b.Bytes().begin(), b.Bytes().end()};
}

TByteArray2D Matrix(int cols, int rows, const std::vector<uint8_t>& cells) {
    TByteArray2D m(cols, rows);
    std::copy(cells.begin(), cells.end(), m.Cells().Memory());
    return m;
}

std::vector<uint8_t> Cells(const TByteArray2D& m) {
    return {m.Cells().Memory(), m.Cells().Memory() + m.Cells().Size()};
}

// Packs codes least significant bit first, the way a GIF stream is read.
struct TBits {
    std::vector<uint8_t> Out;
    uint32_t Acc = 0;
    int Count = 0;
    void Put(uint32_t code, int width) {
        Acc |= code << Count;
        Count += width;
        for (; Count >= 8; Count -= 8, Acc >>= 8)
            Out.push_back(uint8_t(Acc));
    }
    TByteBuffer Finish() {
        if (Count > 0) Out.push_back(uint8_t(Acc));
        return TByteBuffer::FromPacked(Out);
    }
};

// The coder's algorithm written out plainly, with the string table searched linearly. With
// deferClear it never sends a clear code: once the table is full it goes on at 12 bits
// without adding entries.
std::vector<uint8_t> ReferenceEncode(const std::vector<uint8_t>& px, int codeSize, bool deferClear = false) {
    std::vector<uint32_t> prefix(4096), suffix(4096);
    int width = 0;
    uint32_t first = 0, next = 0;
    bool full = false;
    const auto reset = [&] {
        width = codeSize + 1;
        first = next = (1u << codeSize) + 2;
        full = false;
    };
    const auto add = [&](uint32_t p, uint32_t s) {
        if (full) return;
        prefix[next] = p;
        suffix[next] = s;
        if (++next == 4096)
            full = true;
        else if (next > (1u << width))
            ++width;
    };
    const auto find = [&](uint32_t code, uint32_t byte) -> int {
        for (uint32_t c = std::max(first, code + 1); c < next; ++c)
            if (prefix[c] == code && suffix[c] == byte) return int(c);
        return -1;
    };
    const uint32_t clear = 1u << codeSize;
    TBits bits;
    reset();
    bits.Put(clear, width);
    bits.Put(px[0], width);
    uint32_t previous = px[0];
    size_t i = 1;
    while (i < px.size()) {
        const uint32_t b = px[i++];
        add(previous, b);
        uint32_t code = b;
        for (int c; i < px.size() && (c = find(code, px[i])) >= 0; ++i)
            code = uint32_t(c);
        bits.Put(code, width);
        previous = code;
        if (full && i < px.size() && !deferClear) {
            bits.Put(clear, width);
            reset();
            bits.Put(px[i], width);
            previous = px[i++];
        }
    }
    bits.Put(clear + 1, width);
    return Bytes(bits.Finish());
}

// The codes of a stream, read with the width the decoder uses.
std::vector<uint32_t> Codes(const std::vector<uint8_t>& data, int codeSize) {
    std::vector<uint32_t> codes;
    const uint32_t clear = 1u << codeSize;
    int width = codeSize + 1;
    uint32_t next = clear + 2;
    bool afterClear = true;
    size_t bit = 0;
    while (bit + size_t(width) <= data.size() * 8) {
        uint32_t code = 0;
        for (int k = 0; k < width; ++k, ++bit)
            code |= uint32_t((data[bit / 8] >> (bit % 8)) & 1) << k;
        codes.push_back(code);
        if (code == clear + 1) break;
        if (code == clear) {
            width = codeSize + 1;
            next = clear + 2;
            afterClear = true;
            continue;
        }
        if (!afterClear && next < 4096 && ++next == (1u << width) && width < 12) ++width;
        afterClear = false;
    }
    return codes;
}

std::vector<uint8_t> RandomPixels(size_t n, int colors, unsigned seed, int runs = 1) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> px(n);
    for (size_t i = 0; i < n;) {
        const uint8_t v = uint8_t(rng() % unsigned(colors));
        for (int r = int(rng() % unsigned(runs)) + 1; r > 0 && i < n; --r)
            px[i++] = v;
    }
    return px;
}

} // namespace

TEST(LzwEncoder, SmallImagesGiveTheExpectedCodes) {
    // One pixel: clear, the pixel, end, three codes of 3 bits.
    EXPECT_EQ(Codes(Bytes(LzwEncode(Matrix(1, 1, {2}), false, 2)), 2), (std::vector<uint32_t>{4, 2, 5}));
    // Two equal pixels: the pair gets an entry that is never used.
    EXPECT_EQ(Codes(Bytes(LzwEncode(Matrix(2, 1, {1, 1}), false, 2)), 2),
              (std::vector<uint32_t>{4, 1, 1, 5}));
    // 0, 1, 0 at code size 2: codes 4, 0, 1, 0, 5 packed into two bytes.
    const TByteBuffer data = LzwEncode(Matrix(3, 1, {0, 1, 0}), false, 2);
    EXPECT_EQ(Bytes(data), (std::vector<uint8_t>{0x44, 0x50}));
    EXPECT_EQ(data.BlockCount(), 1);
}

TEST(LzwEncoder, OutputIsBitForBitThePlainAlgorithms) {
    struct Case {
        int cols, rows, colors, codeSize, runs;
    };
    unsigned seed = 1;
    for (const Case c :
         {Case{64, 64, 4, 2, 1}, Case{100, 80, 2, 2, 3}, Case{120, 90, 16, 4, 2}, Case{200, 150, 256, 8, 1},
          Case{300, 200, 256, 8, 6}, Case{37, 11, 8, 3, 1}, Case{160, 160, 256, 9, 4}}) {
        const std::vector<uint8_t> px = RandomPixels(size_t(c.cols) * c.rows, c.colors, seed++, c.runs);
        const TByteBuffer data = LzwEncode(Matrix(c.cols, c.rows, px), false, uint8_t(c.codeSize));
        EXPECT_EQ(Bytes(data), ReferenceEncode(px, c.codeSize)) << c.cols << "x" << c.rows;
        // Cut into pieces of 1 to 7 pixels, as mapped rows arrive: strings and clears across the cuts.
        TLzwEncoder pieces(uint8_t(c.codeSize), px.size());
        for (size_t at = 0, n = 1; at < px.size(); at += n, n = n % 7 + 1)
            pieces.Put(std::span(px).subspan(at, std::min(n, px.size() - at)));
        EXPECT_EQ(Bytes(TByteBuffer::FromPacked(pieces.Finish())), ReferenceEncode(px, c.codeSize));
        for (int32_t b = 1; b < data.BlockCount(); ++b)
            EXPECT_EQ(data.GetBlock(b).size(), 255u);
        EXPECT_GE(data.GetBlock(data.BlockCount()).size(), 1u);
    }
}

TEST(LzwEncoder, AUniformImageClearsExactlyWhenTheTableIsFull) {
    // 9 million equal pixels at code size 2: strings grow by one pixel per code, so the
    // table fills once, after 4090 entries.
    const int side = 3000;
    const std::vector<uint8_t> px(size_t(side) * side, 3);
    std::vector<float> fractions;
    TProgress progress([&](const std::string&, float f) { fractions.push_back(f); });
    const TByteBuffer data = LzwEncode(Matrix(side, side, px), false, 2, progress);
    const std::vector<uint8_t> bytes = Bytes(data);
    EXPECT_EQ(bytes, ReferenceEncode(px, 2));
    const std::vector<uint32_t> codes = Codes(bytes, 2);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 4u), 2) << "the first clear and one when full";
    EXPECT_EQ(codes.back(), 5u);
    ASSERT_EQ(fractions.size(), 3u) << "start, the clear, the end";
    EXPECT_EQ(fractions.front(), 0);
    EXPECT_GT(fractions[1], 0.9f);
    EXPECT_EQ(fractions.back(), 1);

    TByteArray2D back(side, side);
    LzwDecode(data, 2, false, back);
    EXPECT_TRUE(std::all_of(back.Cells().Memory(), back.Cells().Memory() + back.Cells().Size(),
                            [](uint8_t v) { return v == 3; }));
}

TEST(LzwEncoder, RefusesIndicesTheCodeSizeCannotCarry) {
    EXPECT_THROW(LzwEncode(Matrix(2, 1, {0, 4}), false, 2), EGifException);
    EXPECT_EQ(MessageOf([] { LzwEncode(Matrix(1, 1, {0}), false, 1); }), "Mauvaise taille de code");
}

TEST(RowOrder, InterlacedPasses) {
    const auto order = [](int height) {
        std::vector<int> rows;
        int pass = 1;
        for (int r = 0; r >= 0; r = NextInterlaceRow(r, height, pass))
            rows.push_back(r);
        return rows;
    };
    EXPECT_EQ(order(1), (std::vector<int>{0}));
    EXPECT_EQ(order(3), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(order(5), (std::vector<int>{0, 4, 2, 1, 3}));
    EXPECT_EQ(order(10), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
    for (int h = 1; h < 40; ++h) {
        std::vector<int> rows = order(h);
        std::sort(rows.begin(), rows.end());
        ASSERT_EQ(int(rows.size()), h);
        for (int r = 0; r < h; ++r)
            ASSERT_EQ(rows[size_t(r)], r) << "height " << h;
    }
    const TBigByteArray flat = FlattenMatrix(Matrix(2, 3, {1, 1, 2, 2, 3, 3}), true);
    EXPECT_EQ(std::vector<uint8_t>(flat.Memory(), flat.Memory() + 6),
              (std::vector<uint8_t>{1, 1, 3, 3, 2, 2}));
}

TEST(LzwDecoder, GivesBackWhatWasEncodedInBothRowOrders) {
    struct Case {
        int cols, rows, colors, codeSize;
        bool interlaced;
    };
    unsigned seed = 50;
    for (const Case c : {Case{1, 1, 2, 2, false}, Case{7, 3, 4, 2, true}, Case{5, 5, 4, 2, true},
                         Case{257, 33, 256, 8, false}, Case{640, 480, 256, 8, true},
                         Case{33, 17, 16, 4, false}, Case{90, 70, 256, 9, true}}) {
        const TByteArray2D m =
            Matrix(c.cols, c.rows, RandomPixels(size_t(c.cols) * c.rows, c.colors, seed++, 5));
        const TByteBuffer data = LzwEncode(m, c.interlaced, uint8_t(c.codeSize));
        TByteArray2D back(c.cols, c.rows);
        LzwDecode(data, uint8_t(c.codeSize), c.interlaced, back);
        EXPECT_EQ(Cells(back), Cells(m)) << c.cols << "x" << c.rows;
    }
    // Interlaced order on the wire: height 3 stores rows 0, 2, 1.
    const TByteBuffer data = LzwEncode(Matrix(1, 3, {0, 1, 2}), true, 2);
    TByteArray2D natural(1, 3);
    LzwDecode(data, 2, false, natural);
    EXPECT_EQ(Cells(natural), (std::vector<uint8_t>{0, 2, 1}));
}

TEST(LzwDecoder, ReadsBackEveryShortRunAtEveryCodeSize) {
    // Runs and ramps of every length up to 300: among them the streams whose end code is
    // written one bit narrower than the decoder expects, ending the data exactly.
    for (int codeSize = 2; codeSize <= 8; ++codeSize)
        for (int w = 1; w <= 300; ++w)
            for (int ramp = 0; ramp < 2; ++ramp) {
                std::vector<uint8_t> px(size_t(w), 1);
                if (ramp)
                    for (int i = 0; i < w; ++i)
                        px[size_t(i)] = uint8_t((i / 5) % (1 << codeSize));
                const TByteBuffer data = LzwEncode(Matrix(w, 1, px), false, uint8_t(codeSize));
                ASSERT_EQ(Bytes(data), ReferenceEncode(px, codeSize));
                TByteArray2D back(w, 1);
                ASSERT_NO_THROW(LzwDecode(data, uint8_t(codeSize), false, back)) << codeSize << " " << w;
                ASSERT_EQ(Cells(back), px) << codeSize << " " << w;
            }
}

TEST(LzwDecoder, ToleratesWhatValidStreamsMayDo) {
    // No clear code at the start; two clear codes at the start.
    TBits noClear;
    for (uint32_t c : {1u, 0u, 6u, 5u})
        noClear.Put(c, 3); // 6 = "1 0"
    TByteArray2D a(4, 1);
    LzwDecode(noClear.Finish(), 2, false, a);
    EXPECT_EQ(Cells(a), (std::vector<uint8_t>{1, 0, 1, 0}));
    TBits twoClears;
    for (uint32_t c : {4u, 4u, 3u, 6u, 5u})
        twoClears.Put(c, 3); // 6 = "3 3"
    TByteArray2D b(3, 1);
    LzwDecode(twoClears.Finish(), 2, false, b);
    EXPECT_EQ(Cells(b), (std::vector<uint8_t>{3, 3, 3}));

    // Going on at 12 bits after the table is full, without a clear code.
    const std::vector<uint8_t> px = RandomPixels(60000, 4, 7, 4);
    const std::vector<uint8_t> deferred = ReferenceEncode(px, 2, true);
    const std::vector<uint32_t> codes = Codes(deferred, 2);
    ASSERT_EQ(std::count(codes.begin(), codes.end(), 4u), 1);
    ASSERT_GT(codes.size(), 8000u) << "the stream goes well past a full table";
    TByteArray2D c(300, 200);
    LzwDecode(TByteBuffer::FromPacked(deferred), 2, false, c);
    EXPECT_EQ(Cells(c), px);

    // An incomplete last row is dropped; a partial spare row past the image is ignored.
    TByteArray2D d(2, 2);
    LzwDecode(LzwEncode(Matrix(3, 1, {1, 2, 3}), false, 2), 2, false, d);
    EXPECT_EQ(Cells(d), (std::vector<uint8_t>{1, 2, 0, 0}));
    TByteArray2D e(2, 1);
    LzwDecode(LzwEncode(Matrix(3, 1, {1, 2, 3}), false, 2), 2, false, e);
    EXPECT_EQ(Cells(e), (std::vector<uint8_t>{1, 2}));
}

TEST(LzwDecoder, BadStreamsFailWithTheirMessages) {
    const auto decode = [](std::vector<uint32_t> codes, int cols = 4, int rows = 1, int width = 3) {
        TBits bits;
        for (uint32_t c : codes)
            bits.Put(c, width);
        TByteArray2D m(cols, rows);
        return MessageOf([&] { LzwDecode(bits.Finish(), 2, false, m); });
    };
    EXPECT_EQ(decode({4, 5}), "Mauvais code") << "end right after a clear";
    EXPECT_EQ(decode({4, 1, 7}), "Mauvais code") << "a code past the next one";
    EXPECT_EQ(decode({4, 1, 1}), "Données d'image incomplètes") << "no end code";
    EXPECT_EQ(decode({4, 1, 1, 5}, 1, 1), "Dynamic array index out of bounds") << "a second row";
    TByteArray2D m(1, 1);
    for (uint8_t size : {0, 1, 10, 12})
        EXPECT_EQ(MessageOf([&] { LzwDecode(TByteBuffer(), size, false, m); }), "Mauvaise taille de code");
    EXPECT_EQ(MessageOf([&] { LzwDecode(TByteBuffer(), 2, false, m); }), "Données d'image incomplètes");
}

TEST(ByteBuffer, BlocksOf255AndReadingAcrossThem) {
    TByteBuffer b;
    for (int i = 0; i < 600; ++i)
        b.AddByte(uint8_t(i));
    b.Flush();
    ASSERT_EQ(b.BlockCount(), 3);
    EXPECT_EQ(b.GetBlock(1).size(), 255u);
    EXPECT_EQ(b.GetBlock(3).size(), 90u);
    EXPECT_EQ(b.GetBlock(2)[0], uint8_t(255));
    EXPECT_THROW(b.GetBlock(4), EIndexOutOfBounds);
    b.Flush();
    EXPECT_EQ(b.BlockCount(), 3) << "no empty block";
    b.StartRead();
    for (int i = 0; i < 600; ++i)
        ASSERT_EQ(b.ReadByte(), uint8_t(i));
    EXPECT_THROW(b.ReadByte(), EGifException);
}
