// What CFITSIO is given of a tile-compressed FITS file. CFITSIO trusts what a header says (an
// allocation as large as a corrupt card asks) and its Rice decoder trusts its input (a tile cut
// short or corrupt, a block size of 0, makes it read past the tile's bytes into memory that is
// not the file's, or loop for ever). So the file is walked here as CFITSIO walks it, and
// CFITSIO sees only the HDUs whose header has its END and its required cards in their places
// with sound values, and whose data unit the file holds whole; every compressed image among
// them has its tile table read, each tile's bytes must lie in the heap, and each Rice tile
// must decode within its own bytes (core/formats/fits_tile_streams.h).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace orv {

struct TTilesCheck {
    // What is wrong, in a few French words: a data unit cut short, a tile table or a tile
    // CFITSIO cannot be given. Nothing when the file may go to CFITSIO.
    std::optional<std::string> Problem;
    // A compressed image larger than the file could hold: its size ("100000x60000").
    std::string TooLarge;
    // The bytes CFITSIO may see: the HDUs from the first up to one whose header cannot be
    // read (CFITSIO could not read it either, nor go past it).
    size_t Length = 0;
};

// The cards CFITSIO reads are written again in place from the values checked: a string
// closed, a number as a number.
TTilesCheck CheckTiles(std::span<uint8_t> file);

} // namespace orv
