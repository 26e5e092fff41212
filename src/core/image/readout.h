// The readout of the pixel under the mouse: the status bar's panel texts, with the sky
// coordinates of the pixel's centre when the document has a celestial coordinate system.
#pragma once

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

} // namespace orv
