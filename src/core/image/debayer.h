// A colour image's three channels: the planes of an RGB image as they are, or a colour-filter
// mosaic debayered. Bilinear gives every pixel its own colour's raw value and, for each other
// colour, the mean of that colour's raw values among its eight neighbours inside the image (0
// when none is); superpixel makes each whole 2 x 2 cell one pixel (its red, the mean of its two
// greens, its blue), cells counted from the first stored row and column, a last odd row or
// column dropped. Means are real numbers, never rounded: debayered values are 32-bit reals for
// 16-bit and 32-bit real mosaics, 64-bit reals for the others, so that no raw value is altered.
#pragma once

#include "core/image/display.h"
#include "core/image/image_document.h"
#include "core/image/value_plane.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace orv {

enum class TDebayer : uint8_t { Bilinear, Superpixel, None };

struct TColourPlanes {
    std::array<TValuePlane, 3> Channels; // red, green, blue; rows bottom first
    std::shared_ptr<double[]> Owner;     // holds the debayered values (none for an RGB image's)
    size_t OwnedBytes = 0;

    TSize Size() const { return {Channels[0].Width, Channels[0].Height}; }
};

// Whether the document is shown in colour: three planes, or a mosaic debayered.
inline bool ShownInColour(const TImageDocument& doc, TDebayer method) {
    return doc.PixelType != kPixelNone &&
           (doc.Colour.Planes == 3 || (doc.Colour.Pattern && method != TDebayer::None));
}

// The picture's size: the image's, or half of it (rounded down) for superpixel on a mosaic.
TSize ColourPictureSize(const TImageDocument& doc, TDebayer method);

// The document's colours; nothing for a grey image, or for a mosaic seen as it is (None).
std::optional<TColourPlanes> ColourPlanesOf(const TImageDocument& doc, TDebayer method);

// The same into `planes`, whose memory is written over when it holds it alone and it is large
// enough: a picture made again after a change does not ask the system for fresh pages, which
// for a large image cost more than the debayering. False, and `planes` emptied, without colour.
bool MakeColourPlanes(const TImageDocument& doc, TDebayer method, TColourPlanes& planes);

// A 16-bit mosaic debayered without planes of reals, for a picture made straight from it: each
// picture row y (0 the bottom row) goes to row(y, quarters), quarters[c][x] being four times
// the value of channel c at x, a whole number; then each pixel of that row on the image's
// border, whose means may be thirds, goes to edge(x, y, values) with its values as the planes
// hold them. False, and nothing called, for any other document or method.
using TQuarterRow = std::function<void(int32_t y, const std::array<const int32_t*, 3>& quarters)>;
using TEdgePixel = std::function<void(int32_t x, int32_t y, const std::array<float, 3>& values)>;
bool DebayerQuarters(const TImageDocument& doc, TDebayer method, const TQuarterRow& row,
                     const TEdgePixel& edge);

// The three values of pixel (x, y) of the colour picture (y = 0 its bottom row), as
// ColourPlanesOf gives them but computed in 64-bit reals; (x, y) inside ColourPictureSize.
// The document is in colour (ColourPlanesOf gives planes).
std::array<double, 3> ColourPixel(const TImageDocument& doc, TDebayer method, int32_t x, int32_t y);

} // namespace orv
