// Colour tables of the GIF model: 256 entries of red, green, blue and a count of meaningful
// ones. Entries past Count are carried along (a whole 256-entry palette is sometimes needed).
#pragma once

#include <array>
#include <cstdint>

namespace orv {

using TColorEntry = std::array<uint8_t, 3>; // red, green, blue

struct TColorTable {
    std::array<TColorEntry, 256> Entries{};
    int32_t Count = 0;

    bool operator==(const TColorTable&) const = default;
};

// Sets Count; 2, 16 and 256 also get their default entries (black and white, the 16 basic
// colours, the grey ramp); other counts leave the entries as they are.
void InitColorTable(TColorTable& table, int32_t count);

// Index of the first of entries 0 .. Count - 1 equal to the platform colour; -1 if none.
int FindColor(const TColorTable& table, uint32_t color);

// A platform colour (red in the low byte) taken apart.
void SplitColor(uint32_t color, uint8_t& red, uint8_t& green, uint8_t& blue);

} // namespace orv
