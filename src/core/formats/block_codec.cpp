#include "core/formats/block_codec.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <lz4.h>
#include <zlib.h>
#include <zstd.h>

namespace orv {

namespace {

// Inflation ratios no stream of the codec exceeds: deflate's 1032 to 1, LZ4's 255 to 1, and
// Zstandard's run-length blocks (a block of 128 KB from four bytes).
constexpr uint64_t kZlibRatio = 1032, kLz4Ratio = 255, kZstdRatio = 32768;
// Headers and trailers of the smallest streams.
constexpr uint64_t kStreamAllowance = 64;

void InflateZlib(std::span<const uint8_t> in, std::span<uint8_t> out) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw EBlockError("données zlib incorrectes");
    // zlib counts in 32 bits: the buffers are given a piece at a time.
    constexpr size_t kPiece = size_t(1) << 30;
    size_t inGiven = 0, outGiven = 0;
    int result = Z_OK;
    for (;;) {
        if (z.avail_in == 0 && inGiven < in.size()) {
            z.next_in = const_cast<Bytef*>(in.data() + inGiven);
            z.avail_in = uInt(std::min(in.size() - inGiven, kPiece));
            inGiven += z.avail_in;
        }
        if (z.avail_out == 0 && outGiven < out.size()) {
            z.next_out = out.data() + outGiven;
            z.avail_out = uInt(std::min(out.size() - outGiven, kPiece));
            outGiven += z.avail_out;
        }
        result = inflate(&z, Z_NO_FLUSH);
        if (result != Z_OK) break; // the end, an error, or no room and no bytes left to go on
    }
    const bool whole = result == Z_STREAM_END && z.avail_out == 0 && outGiven == out.size();
    inflateEnd(&z);
    if (!whole) throw EBlockError("données zlib incorrectes");
}

void InflateLz4(std::span<const uint8_t> in, std::span<uint8_t> out) {
    constexpr uint64_t kMost = uint64_t(std::numeric_limits<int>::max());
    if (in.size() > kMost || out.size() > kMost) throw EBlockError("bloc lz4 trop grand");
    const int n = LZ4_decompress_safe(reinterpret_cast<const char*>(in.data()),
                                      reinterpret_cast<char*>(out.data()), int(in.size()), int(out.size()));
    if (n < 0 || size_t(n) != out.size()) throw EBlockError("données lz4 incorrectes");
}

void InflateZstd(std::span<const uint8_t> in, std::span<uint8_t> out) {
    const size_t n = ZSTD_decompress(out.data(), out.size(), in.data(), in.size());
    if (ZSTD_isError(n) || n != out.size()) throw EBlockError("données zstd incorrectes");
}

} // namespace

std::optional<TBlockCodec> BlockCodecNamed(const std::string& name) {
    if (name == "zlib") return TBlockCodec::Zlib;
    if (name == "lz4" || name == "lz4hc") return TBlockCodec::Lz4;
    if (name == "zstd") return TBlockCodec::Zstd;
    return std::nullopt;
}

uint64_t MostInflatedBytes(TBlockCodec codec, uint64_t compressedBytes) {
    const uint64_t ratio = codec == TBlockCodec::Zlib  ? kZlibRatio
                           : codec == TBlockCodec::Lz4 ? kLz4Ratio
                                                       : kZstdRatio;
    return (compressedBytes + kStreamAllowance) * ratio;
}

void InflateBlock(TBlockCodec codec, std::span<const uint8_t> compressed, std::span<uint8_t> out) {
    switch (codec) {
    case TBlockCodec::Zlib:
        return InflateZlib(compressed, out);
    case TBlockCodec::Lz4:
        return InflateLz4(compressed, out);
    case TBlockCodec::Zstd:
        return InflateZstd(compressed, out);
    }
}

void UnshuffleBytes(std::span<const uint8_t> shuffled, size_t itemSize, std::span<uint8_t> out) {
    const size_t n = std::min(shuffled.size(), out.size());
    if (itemSize <= 1) {
        std::memcpy(out.data(), shuffled.data(), n);
        return;
    }
    const size_t items = n / itemSize;
    const uint8_t* in = shuffled.data();
    for (size_t b = 0; b < itemSize; ++b, in += items) {
        uint8_t* o = out.data() + b;
        for (size_t i = 0; i < items; ++i, o += itemSize)
            *o = in[i];
    }
    const size_t done = items * itemSize;
    std::memcpy(out.data() + done, shuffled.data() + done, n - done);
}

} // namespace orv
