// Where an image's colours are: one grey plane, three planes (red, green, blue, one after the
// other in PixelStore), or one plane behind a 2 x 2 colour-filter mosaic (a one-shot-colour
// camera's raw frame). The mosaic's pattern and offsets are for the rows as the document holds
// them, the bottom row first, whatever order the file stored them in.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orv {

enum class TChannel : uint8_t { Red = 0, Green = 1, Blue = 2 };

// The colours of a 2 x 2 cell, named as the files name them: the first stored row's pixels 1
// and 2, then the second row's.
enum class TBayerPattern : uint8_t { Rggb, Bggr, Grbg, Gbrg };

// The pattern a name gives (RGGB, BGGR, GRBG, GBRG, any letter case); nothing for another name.
std::optional<TBayerPattern> BayerPatternNamed(std::string_view name);

struct TColourLayout {
    int32_t Planes = 1;                   // 3: red, green and blue planes
    std::optional<TBayerPattern> Pattern; // a mosaic (with one plane)
    // Where the pattern starts, 0 or 1: pixel (x, y) of the document (y = 0 the bottom row)
    // has the pattern's colour of (x + XOffset, y + YOffset), both taken modulo 2.
    int32_t XOffset = 0, YOffset = 0;
    // The file stores its top row first (the document reversed its rows when reading and puts
    // them back when saving); 2 x 2 cells are then counted from the top row.
    bool TopDown = false;

    bool IsColour() const { return Planes == 3 || Pattern.has_value(); }
    bool operator==(const TColourLayout&) const = default;
};

// The colour of the mosaic at document pixel (x, y); the layout has a pattern.
TChannel MosaicColour(const TColourLayout& layout, int32_t x, int32_t y);

// The four colours of the cell whose lower-left pixel is (x, y) when x and y are even: [row y,
// row y + 1][column x, column x + 1].
std::array<std::array<TChannel, 2>, 2> MosaicCell(const TColourLayout& layout);

} // namespace orv
