// The readout of the pixel under the mouse: the status bar's panel texts, with the sky
// coordinates of the pixel's centre when the document has a celestial coordinate system.
#pragma once

#include "core/image/debayer.h"
#include "core/image/image_document.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orv {

struct TReadout {
    std::string X;                           // "X : <column from 1>"
    std::string Y;                           // "Y : <row from 1, counted from the bottom>"
    std::string Intensity;                   // "Intensité : <value>"
    std::string RightAscension, Declination; // "AD : 05:34:31.94", "Dec : +22:00:52.2"; empty without
};

// x, y: mouse position over the image control, 0 at its left and top edges.
// Nothing for documents without a readout (bitmap, GIF, empty) or outside the image.
std::optional<TReadout> PixelReadout(const TImageDocument& doc, int32_t x, int32_t y);

// The readout over the picture `method` makes of a colour document, whose size is
// ColourPictureSize: "Intensité : R / V / B", the three values after debayering. A superpixel
// covers four image pixels: no sky position is given for it. Nothing for a grey image.
std::optional<TReadout> ColourReadout(const TImageDocument& doc, TDebayer method, int32_t x, int32_t y);

} // namespace orv
