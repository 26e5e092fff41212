// Whether CFITSIO's tile decoders stay within a compressed tile. They are given no length (or
// check it only once they are past it): a tile cut short or corrupt makes them read beyond its
// bytes, into memory that is not the file's, and an HCOMPRESS tile whose own header names a
// larger image writes beyond the tile's buffer. Each function below reads a tile the way the
// decoder does, byte for byte, without decoding the values, and says whether every read and
// write stays inside.
#pragma once

#include <cstdint>
#include <span>

namespace orv {

// A Rice tile of `pixels` values, `bytesPerValue` wide (1, 2, or any other for 4), coded in
// blocks of blockSize values.
bool RiceTileFits(std::span<const uint8_t> tile, uint64_t pixels, int64_t blockSize, int64_t bytesPerValue);

// An HCOMPRESS tile decoded into room for `pixels` values.
bool HcompressTileFits(std::span<const uint8_t> tile, uint64_t pixels);

// A PLIO tile: `words` 16-bit words of a line list, in the machine's order.
bool PlioTileFits(std::span<const int16_t> words);

// A GZIP tile: one whole gzip stream of at most maxBytes (CFITSIO loses its buffer on a
// corrupt one).
bool GzipTileFits(std::span<const uint8_t> tile, uint64_t maxBytes);

} // namespace orv
