#include "core/formats/fits_tile_streams.h"

#include "core/formats/gzip_stream.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace orv {

namespace {

// The bit input of CFITSIO's HCOMPRESS decoder, which stops at the tile's end instead of
// reading past it.
class THcompressInput {
  public:
    explicit THcompressInput(std::span<const uint8_t> tile) : tile_(tile) {}

    bool Over() const { return over_; }
    // Bytes read whole (the header), then bits.
    bool Skip(size_t n) {
        if (tile_.size() - next_ < n) return !(over_ = true);
        next_ += n;
        return true;
    }
    uint32_t Int() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | Byte();
        return v;
    }
    uint32_t Byte() {
        if (next_ >= tile_.size()) {
            over_ = true;
            return 0;
        }
        return tile_[next_++];
    }
    void StartBits() { bitsToGo_ = 0; }
    uint32_t Bit() {
        if (bitsToGo_ == 0) {
            buffer_ = Byte();
            bitsToGo_ = 8;
        }
        --bitsToGo_;
        return buffer_ >> bitsToGo_ & 1;
    }
    uint32_t Bits(int n) {
        if (bitsToGo_ < n) {
            buffer_ = buffer_ << 8 | Byte();
            bitsToGo_ += 8;
        }
        bitsToGo_ -= n;
        return buffer_ >> bitsToGo_ & ((1u << n) - 1);
    }
    // A quadtree code: 3 to 6 bits.
    uint32_t Huffman() {
        uint32_t c = Bits(3);
        if (c < 4) return 1u << c;
        c = Bit() | c << 1;
        static const uint8_t four[] = {3, 5, 10, 12, 15};
        if (c < 13) return four[c - 8];
        c = Bit() | c << 1;
        static const uint8_t five[] = {6, 7, 9, 11, 13};
        if (c < 31) return five[c - 26];
        c = Bit() | c << 1;
        return c == 62 ? 0 : 14;
    }
    // Bits left to read.
    uint64_t BitsLeft() const { return uint64_t(tile_.size() - next_) * 8 + uint64_t(bitsToGo_); }

  private:
    std::span<const uint8_t> tile_;
    size_t next_ = 0;
    uint32_t buffer_ = 0;
    int bitsToGo_ = 0;
    bool over_ = false;
};

// A 4-bit code at (x, y) of a level `height` values high: the bits its 2 x 2 block gets.
struct TCode {
    uint64_t Index; // x * height + y
    uint32_t Value;
};

// One quadrant's bit planes, as qtree_decode reads them. The positions of the image (x * ny +
// y) that some plane sets go to `set`. False when the reads go past the tile; true too when
// the decoder stops on a bad code, having read no further.
bool DecodeQuadrant(THcompressInput& in, int64_t ny, int64_t x0, int64_t y0, int64_t nqx, int64_t nqy,
                    int planes, std::vector<uint64_t>& set, bool& stopped) {
    if (planes == 0) return true;
    if (nqx <= 0 || nqy <= 0) return false; // the decoder would write into an empty array
    const int64_t nqmax = std::max(nqx, nqy);
    int log2n = int(std::log(double(float(nqmax))) / std::log(2.0) + 0.5);
    if (nqmax > (int64_t(1) << log2n)) ++log2n;
    const int64_t nx2 = (nqx + 1) / 2, ny2 = (nqy + 1) / 2;
    std::vector<TCode> level, next;
    for (int bit = planes - 1; bit >= 0; --bit) {
        const uint32_t format = in.Bits(4);
        if (in.Over()) return false;
        level.clear();
        if (format == 0) {
            // Written directly, four pixels a nybble.
            for (int64_t i = 0; i < nx2 * ny2; ++i) {
                const uint32_t v = in.Bits(4);
                if (in.Over()) return false;
                if (v) level.push_back({uint64_t(i), v});
            }
        } else if (format != 0xF) {
            stopped = true;
            return true;
        } else {
            const uint32_t first = in.Huffman();
            if (in.Over()) return false;
            if (first) level.push_back({0, first});
            int64_t nx = 1, ny1 = 1, nfx = nqx, nfy = nqy, c = int64_t(1) << log2n;
            for (int k = 1; k < log2n; ++k) {
                // Each code's set bits become the codes of the next level, read from the last.
                const int64_t py = (ny1 + 1) / 2;
                c >>= 1;
                nx <<= 1;
                ny1 <<= 1;
                if (nfx <= c)
                    --nx;
                else
                    nfx -= c;
                if (nfy <= c)
                    --ny1;
                else
                    nfy -= c;
                next.clear();
                for (const TCode& code : level) {
                    const int64_t i = int64_t(code.Index) / py, j = int64_t(code.Index) % py;
                    for (int q = 0; q < 4; ++q) {
                        const int64_t x = 2 * i + q / 2, y = 2 * j + q % 2;
                        if (x < nx && y < ny1 && (code.Value >> (3 - q) & 1))
                            next.push_back({uint64_t(x * ny1 + y), 0});
                    }
                }
                std::sort(next.begin(), next.end(),
                          [](const TCode& a, const TCode& b) { return a.Index > b.Index; });
                level.clear();
                for (TCode& code : next) {
                    code.Value = in.Huffman();
                    if (in.Over()) return false;
                    if (code.Value) level.push_back(code);
                }
            }
            if (log2n > 0 && (nx != nx2 || ny1 != ny2)) return false;
        }
        // The last level's codes as bits of the quadrant's pixels.
        for (const TCode& code : level) {
            const int64_t i = int64_t(code.Index) / ny2, j = int64_t(code.Index) % ny2;
            for (int q = 0; q < 4; ++q) {
                const int64_t x = 2 * i + q / 2, y = 2 * j + q % 2;
                if (x < nqx && y < nqy && (code.Value >> (3 - q) & 1))
                    set.push_back(uint64_t((x0 + x) * ny + y0 + y));
            }
        }
    }
    return true;
}

} // namespace

bool RiceTileFits(std::span<const uint8_t> tile, uint64_t pixels, int64_t blockSize, int64_t bytesPerValue) {
    // The decoder's reads, byte for byte: the first value as it is, then for each block its
    // code length, then either nothing (all equal), raw values, or Rice codes.
    const int fsBits = bytesPerValue == 1 ? 3 : bytesPerValue == 2 ? 4 : 5;
    const int fsMax = bytesPerValue == 1 ? 6 : bytesPerValue == 2 ? 14 : 25;
    const int rawBits = bytesPerValue == 1 ? 8 : bytesPerValue == 2 ? 16 : 32;
    const size_t first = size_t(bytesPerValue == 1 ? 1 : bytesPerValue == 2 ? 2 : 4);
    if (blockSize < 1 || tile.size() < first + 1) return false;
    size_t c = first;
    auto next = [&](uint32_t& byte) {
        if (c >= tile.size()) return false;
        byte = tile[c++];
        return true;
    };
    uint32_t b = 0, byte = 0;
    if (!next(b)) return false;
    int nbits = 8;
    for (uint64_t i = 0; i < pixels;) {
        nbits -= fsBits;
        while (nbits < 0) {
            if (!next(byte)) return false;
            b = (b << 8) | byte;
            nbits += 8;
        }
        const int fs = int(b >> nbits) - 1;
        b &= (uint32_t(1) << nbits) - 1;
        const uint64_t end = std::min(pixels, i + uint64_t(blockSize));
        if (fs < 0) {
            i = end;
        } else if (fs == fsMax) {
            for (; i < end; ++i) {
                int k = rawBits - nbits;
                for (k -= 8; k >= 0; k -= 8)
                    if (!next(b)) return false;
                if (nbits > 0) {
                    if (!next(b)) return false;
                    b &= (uint32_t(1) << nbits) - 1;
                } else {
                    b = 0;
                }
            }
        } else {
            for (; i < end; ++i) {
                while (b == 0) {
                    nbits += 8;
                    if (!next(b)) return false;
                }
                nbits = int(std::bit_width(b)) - 1;
                b ^= uint32_t(1) << nbits;
                nbits -= fs;
                while (nbits < 0) {
                    if (!next(byte)) return false;
                    b = (b << 8) | byte;
                    nbits += 8;
                }
                b &= (uint32_t(1) << nbits) - 1;
            }
        }
    }
    return true;
}

bool HcompressTileFits(std::span<const uint8_t> tile, uint64_t pixels) {
    // The header: a magic number, the tile's width and height, the scale, the sum of the
    // values, and the bit planes of the three kinds of quadrant.
    THcompressInput in(tile);
    if (!in.Skip(2)) return false;
    if (tile[0] != 0xDD || tile[1] != 0x99) return true; // the decoder stops there
    const int64_t nx = int32_t(in.Int()), ny = int32_t(in.Int());
    in.Int();
    in.Skip(8);
    int planes[3];
    for (int& p : planes)
        p = int(in.Byte());
    if (in.Over() || nx < 1 || ny < 1 || uint64_t(nx) * uint64_t(ny) > pixels) return false;
    // The four quadrants of the transform, one bit stream.
    const int64_t nx2 = (nx + 1) / 2, ny2 = (ny + 1) / 2;
    const struct {
        int64_t x0, y0, width, height;
        int planes;
    } quadrants[] = {{0, 0, nx2, ny2, planes[0]},
                     {0, ny2, nx2, ny / 2, planes[1]},
                     {nx2, 0, nx / 2, ny2, planes[1]},
                     {nx2, ny2, nx / 2, ny / 2, planes[2]}};
    std::vector<uint64_t> set;
    bool stopped = false;
    in.StartBits();
    for (const auto& q : quadrants) {
        if (!DecodeQuadrant(in, ny, q.x0, q.y0, q.width, q.height, q.planes, set, stopped)) return false;
        if (stopped) return true;
    }
    // The end code, then a sign bit for every pixel some plane set.
    const uint32_t end = in.Bits(4);
    if (in.Over()) return false;
    if (end != 0) return true;
    std::sort(set.begin(), set.end());
    const uint64_t signs = uint64_t(std::unique(set.begin(), set.end()) - set.begin());
    in.StartBits();
    return signs <= in.BitsLeft();
}

bool PlioTileFits(std::span<const int16_t> words) {
    // The line list's length and first instruction, from its header; then every instruction
    // up to that length, and the word after a "set value" one.
    const int64_t n = int64_t(words.size());
    if (n < 3) return false;
    int64_t length = 0, first = 0; // 1-based, as the decoder counts
    if (words[2] > 0) {
        length = words[2];
        first = 4;
    } else {
        if (n < 5) return false;
        length = int64_t(words[4]) * 32768 + words[3];
        first = int64_t(words[1]) + 1;
    }
    if (length <= 0) return true; // nothing decoded
    if (first < 1 || length > n) return false;
    bool skip = false;
    for (int64_t ip = first; ip <= length; ++ip) {
        if (skip) {
            skip = false;
            continue;
        }
        if (words[size_t(ip - 1)] / 4096 == 1) {
            if (ip >= n) return false;
            skip = true;
        }
    }
    return true;
}

bool GzipTileFits(std::span<const uint8_t> tile, uint64_t maxBytes) {
    try {
        TGzipInflater in(tile);
        std::vector<uint8_t> piece(size_t(1) << 16);
        for (uint64_t total = 0;;) {
            const size_t got = in.Read(piece.data(), piece.size());
            total += got;
            if (total > maxBytes) return false;
            if (got < piece.size()) return true;
        }
    } catch (const EGzipError&) {
        return false;
    }
}

} // namespace orv
