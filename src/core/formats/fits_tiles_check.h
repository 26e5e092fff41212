// What a tile-compressed FITS file must pass before CFITSIO decodes it. CFITSIO's Rice decoder
// trusts its input: a tile cut short or corrupt, a block size of 0, makes it read past the
// tile's bytes into memory that is not the file's, or loop for ever. So every compressed image
// in the file has its tile table read here, as CFITSIO walks the file (the required cards in
// their places, the heap after the table), and each tile's bytes must lie within the file,
// and each Rice tile must decode within its own bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace orv {

// Nothing when CFITSIO may decode the file; else what is wrong, in a few French words.
std::optional<std::string> TilesProblem(std::span<const uint8_t> file);

// Whether a Rice-coded tile of `pixels` values, `bytesPerValue` wide (1, 2, or any other for
// 4), in blocks of blockSize, decodes without reading past its bytes.
bool RiceTileFits(std::span<const uint8_t> tile, uint64_t pixels, int64_t blockSize, int64_t bytesPerValue);

} // namespace orv
